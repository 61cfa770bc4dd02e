// The console key reader on a terminal: raw mode for each read, escape sequences decoded to
// the Windows console's two-code keys, a lone ESC told from a sequence by a short time-out.
// When standard input is not a terminal (a pipe or a file), its bytes are the keys.
#include <cerrno>
#include <deque>
#include <optional>
#include <poll.h>
#include <unistd.h>

#include "host/platform/console.h"
#include "host/platform/posix/key_sequence_decoder.h"
#include "host/platform/posix/terminal_raw_mode.h"

namespace {

// Terminals send a sequence in one burst; a person cannot type ESC and another key this fast.
constexpr int kEscapeTimeoutMs = 50;

KeySequenceDecoder decoder;
std::deque<int> pendingCodes;  // the second code of a two-code key, or keys decoded ahead

// One byte from standard input; nothing when the time-out passed first; -1 when the input
// has ended or cannot be read.
std::optional<int> readByte(int timeoutMs) {
  for (;;) {
    if (timeoutMs >= 0) {
      struct pollfd waitFor {STDIN_FILENO, POLLIN, 0};
      const int ready = poll(&waitFor, 1, timeoutMs);
      if (ready < 0 && errno == EINTR) continue;
      if (ready == 0) return std::nullopt;
    }
    // One byte at a time, so that nothing meant for a later reader (the file requester's line)
    // is taken from the input here.
    unsigned char byte;
    const ssize_t got = read(STDIN_FILENO, &byte, 1);
    if (got == 1) return byte;
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    return -1;
  }
}

}  // namespace

int readKeyCode() {
  if (pendingCodes.empty()) {
    const TerminalRawMode raw(STDIN_FILENO);
    while (pendingCodes.empty()) {
      const std::optional<int> byte = readByte(decoder.midSequence() ? kEscapeTimeoutMs : -1);
      if (!byte) {
        decoder.expire(pendingCodes);
      } else if (*byte < 0) {
        decoder.expire(pendingCodes);  // an ESC just before the end is still a key
        if (pendingCodes.empty()) return -1;
      } else {
        decoder.feed(static_cast<unsigned char>(*byte), pendingCodes);
      }
    }
  }
  const int code = pendingCodes.front();
  pendingCodes.pop_front();
  return code;
}
