#pragma once
// The command screen: the first raw page of the transfer buffer as hex and characters, the
// help hint, the offset with a marker under the digit that up and down change, the file.
#include <cstdint>

#include "host/tool_state.h"

inline constexpr std::uint32_t SCREEN_VIEW_SIZE = 528;

// Prints `length` bytes in lines of 16 with their offset and character column; returns 0,
// or -1 (printing nothing) when `length` is 0. A last line of fewer than 16 bytes gets
// neither the character column nor a line end.
int printHexView(const ToolConsole& console, std::uint32_t length, const std::uint8_t* bytes);
void drawScreen(ToolState& state);
