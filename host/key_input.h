#pragma once
// Key reads over the console's two-code key reader.
#include "host/tool_state.h"

inline constexpr int KEY_ESC = 27;
inline constexpr int KEY_UNREADABLE = -1;
// This many unreadable key reads in a row mean the console input is gone for good.
inline constexpr int UNREADABLE_KEY_LIMIT = 8;

// One code; a 0 prefix is skipped and the key's second code returned instead. The prefix 224
// is returned as it came.
int readKey(ToolState& state);
// Takes exactly one code and discards it (only the prefix of a two-code key).
void waitKey(ToolState& state);
bool consoleInputGone(const ToolState& state);
