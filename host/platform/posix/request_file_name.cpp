// The file requester on a terminal: a line prompt holding the previous choice for editing,
// with path completion on Tab (libedit). Without a terminal, or without libedit, a plain line
// is read and an empty one keeps the previous choice.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <unistd.h>

#include "host/platform/console.h"
#include "host/platform/posix/file_choice.h"

#ifdef NANDBRIDGE_HAVE_LIBEDIT
#include <editline/readline.h>
#endif

namespace {

constexpr const char* kPrompt = "File name: ";

// A line read byte by byte straight from standard input, so that no stdio buffer takes the
// keys typed after it. Nothing at the end of the input.
std::optional<std::string> readPlainLine() {
  std::string line;
  for (;;) {
    char byte;
    const ssize_t got = read(STDIN_FILENO, &byte, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      if (line.empty()) return std::nullopt;
      return line;
    }
    if (byte == '\n') return line;
    if (byte != '\r') line += byte;
  }
}

#ifdef NANDBRIDGE_HAVE_LIBEDIT
std::string lineDefault;

int insertLineDefault() {
  rl_insert_text(lineDefault.c_str());
  return 0;
}

std::optional<std::string> readEditedLine(const std::string& initial) {
  lineDefault = initial;
  rl_startup_hook = insertLineDefault;
  char* line = readline(kPrompt);
  rl_startup_hook = nullptr;
  if (line == nullptr) {
    std::fputs("\n", stdout);  // the end of input left the cursor on the prompt line
    return std::nullopt;
  }
  std::string text(line);
  std::free(line);
  return text;
}
#endif

// The operator's line, with `initial` offered as the default; nothing when the input ended.
std::optional<std::string> promptForLine(const std::string& initial) {
  std::fflush(stdout);
#ifdef NANDBRIDGE_HAVE_LIBEDIT
  if (isatty(STDIN_FILENO)) return readEditedLine(initial);
#endif
  std::printf("%s[%s] ", kPrompt, initial.c_str());
  std::fflush(stdout);
  return readPlainLine();
}

}  // namespace

void requestFileName(char* buffer, std::size_t capacity, char* title, std::size_t titleCapacity) {
  if (buffer == nullptr || capacity == 0) return;
  std::string offered(buffer, strnlen(buffer, capacity));
  for (;;) {
    const std::optional<std::string> line = promptForLine(offered);
    // The end of input or an empty line is the requester cancelled: the choice stays.
    if (!line || line->empty()) return;
    if (storeFileChoice(*line, buffer, capacity, title, titleCapacity)) return;
    std::printf("File name too long: at most %zu characters\n",
                std::min(capacity - 1, kMaxFileNameLength));
    offered = *line;
  }
}
