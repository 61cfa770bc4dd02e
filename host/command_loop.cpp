#include "host/command_loop.h"

#include "host/help_text.h"
#include "host/key_input.h"
#include "host/screen.h"
#include "host/workflows/workflows.h"

namespace {

constexpr int KEY_SPACE = 32;
constexpr int KEY_HELP = 59;       // F1 (0, 59), also ';'
constexpr int KEY_REQUESTER = 63;  // F5 (0, 63), also '?'
constexpr int KEY_UP = 72;         // also 'H'
constexpr int KEY_LEFT = 75;       // also 'K'
constexpr int KEY_RIGHT = 77;      // also 'M'
constexpr int KEY_DOWN = 80;       // also 'P'

std::uint32_t step(const ToolState& state) { return 1u << (4 * state.cursorDigit); }

int foldCase(int code) { return (code >= 'a' && code <= 'z') ? code - 32 : code; }

}  // namespace

void chooseFile(ToolState& state) {
  state.console.requestFileName(state.requesterFileName, FILE_NAME_CAPACITY,
                                state.requesterFileTitle, FILE_NAME_CAPACITY);
  state.requesterFileName[FILE_NAME_CAPACITY - 1] = '\0';  // whatever the requester left
  state.imageFileName = state.requesterFileName;
}

bool actOnKey(ToolState& state, int code) {
  switch (code) {
    case KEY_ESC: return false;
    case KEY_SPACE: state.flashOffset = 0; break;
    case '1':
    case '2': viewPage(state); break;
    case '3': viewStatus(state); break;
    case '4': viewId(state); break;
    case KEY_HELP: showHelp(state); break;
    case KEY_REQUESTER: chooseFile(state); break;
    case 'D': dumpDevice(state); break;
    case 'E': eraseBlock(state); break;
    case KEY_UP: state.flashOffset += step(state); break;
    case KEY_LEFT: state.cursorDigit = (state.cursorDigit + 1) % 8; break;
    case 'L': dumpMainArea(state); break;
    case KEY_RIGHT: state.cursorDigit = (state.cursorDigit + 7) % 8; break;
    case KEY_DOWN: state.flashOffset -= step(state); break;
    case 'Z': programBlockAtOffset(state); break;
    default: break;  // 224 and every other code: only the redraw
  }
  return true;
}

int runCommandLoop(ToolState& state) {
  for (;;) {
    drawScreen(state);
    const int code = foldCase(readKey(state));
    if (consoleInputGone(state)) {
      state.console.print("\nThe console input cannot be read any more: ending the run\n");
      return EXIT_CONSOLE_GONE;
    }
    if (!actOnKey(state, code)) break;
  }
  state.transferBuffer.reset();
  state.console.clearScreen();
  return EXIT_AFTER_ESC;
}
