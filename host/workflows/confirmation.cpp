#include "host/workflows/confirmation.h"

#include "host/key_input.h"

bool confirmBlockAction(ToolState& state, const char* action, std::uint32_t block) {
  state.console.print("\nSure you want to %s this block?:%08X\n", action,
                      static_cast<unsigned>(block));
  state.console.print("Press ESC to abort, any other to continue\n");
  const int key = readKey(state);
  return key != KEY_ESC && key != KEY_UNREADABLE;
}
