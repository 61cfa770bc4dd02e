#pragma once
// The one-key command loop: every pass redraws the screen, reads one key and acts on it.
#include "host/tool_state.h"

inline constexpr int EXIT_AFTER_ESC = 0;
inline constexpr int EXIT_CONSOLE_GONE = 3;

// Runs until ESC (returns 0, buffer released, screen cleared) or until the console input is
// gone for good (returns EXIT_CONSOLE_GONE after saying so).
int runCommandLoop(ToolState& state);

// The file requester: its persistent buffer becomes the file name.
void chooseFile(ToolState& state);

// Acts on one key code, already folded to upper case. False for ESC.
bool actOnKey(ToolState& state, int code);
