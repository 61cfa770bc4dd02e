#include "tests/host/scripted_console.h"

#include <cstdlib>
#include <cstring>

ScriptedConsole::ScriptedConsole() {
  out_ = open_memstream(&outText_, &outSize_);
  err_ = open_memstream(&errText_, &errSize_);
}

ScriptedConsole::~ScriptedConsole() {
  std::fclose(out_);
  std::fclose(err_);
  std::free(outText_);
  std::free(errText_);
}

ToolConsole ScriptedConsole::console() {
  ToolConsole c;
  c.out = out_;
  c.err = err_;
  c.readKeyCode = [this] {
    ++keyReads;
    if (keys.empty()) return -1;
    const int code = keys.front();
    keys.pop_front();
    return code;
  };
  c.clearScreen = [this] {
    ++clears;
    std::fputc('\f', out_);
  };
  c.requestFileName = [this](char* buffer, std::size_t capacity, char* title, std::size_t) {
    requesterSawOnEntry.emplace_back(buffer);
    const std::size_t call = requesterSawOnEntry.size() - 1;
    if (call < requesterAnswers.size()) {
      std::strncpy(buffer, requesterAnswers[call].c_str(), capacity - 1);
      std::strncpy(title, "title", 6);
    }
  };
  return c;
}

std::string ScriptedConsole::output() {
  std::fflush(out_);
  return std::string(outText_, outSize_);
}

std::string ScriptedConsole::errors() {
  std::fflush(err_);
  return std::string(errText_, errSize_);
}

std::vector<std::string> ScriptedConsole::screenLines() {
  const std::string all = output();
  const std::size_t clear = all.rfind('\f');
  std::string screen = clear == std::string::npos ? all : all.substr(clear + 1);
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = screen.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(screen.substr(start, end - start));
  }
  if (start < screen.size()) lines.push_back(screen.substr(start));
  return lines;
}
