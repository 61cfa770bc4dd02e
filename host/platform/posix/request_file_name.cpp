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
// The editor clears its line when it starts, so the previous choice is offered as keys typed
// ahead of the operator's: the reader below hands them out first.
std::string keysAhead;
std::size_t keysAheadAt = 0;

int readEditorKey(std::FILE* input) {
  if (keysAheadAt < keysAhead.size()) return static_cast<unsigned char>(keysAhead[keysAheadAt++]);
  for (;;) {
    unsigned char byte;
    const ssize_t got = read(fileno(input), &byte, 1);
    if (got == 1) return byte;
    if (got < 0 && errno == EINTR) continue;
    return -1;
  }
}

std::optional<std::string> readEditedLine(const std::string& initial) {
  keysAhead.clear();
  for (char c : initial) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) keysAhead += '\x16';  // Ctrl+V: insert the next key as is
    keysAhead += c;
  }
  keysAheadAt = 0;
  rl_getc_function = readEditorKey;
  rl_completion_append_character = '\0';  // a completed name must not end in a blank
  char* line = readline(kPrompt);
  keysAhead.clear();
  if (line == nullptr) {
    std::fputs("\n", stdout);  // the end of input left the cursor on the prompt line
    return std::nullopt;
  }
  std::string text(line);
  std::free(line);
  if (!text.empty()) add_history(text.c_str());  // earlier choices under the up arrow
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
