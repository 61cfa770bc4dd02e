#include "host/key_input.h"

namespace {
int readCode(ToolState& state) {
  const int code = state.console.readKeyCode();
  if (code == KEY_UNREADABLE) {
    ++state.unreadableKeys;
  } else {
    state.unreadableKeys = 0;
  }
  return code;
}
}  // namespace

int readKey(ToolState& state) {
  const int code = readCode(state);
  if (code == 0) return readCode(state);
  return code;
}

void waitKey(ToolState& state) { readCode(state); }

bool consoleInputGone(const ToolState& state) {
  return state.unreadableKeys >= UNREADABLE_KEY_LIMIT;
}
