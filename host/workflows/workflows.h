#pragma once
// The work behind the flash keys. Each runs to its end, prints its messages below the
// screen and returns to the command loop, whose next pass redraws the screen.
#include <cstdint>
#include <cstdio>

#include "host/tool_state.h"

void viewPage(ToolState& state);
void viewStatus(ToolState& state);
void viewId(ToolState& state);
void dumpDevice(ToolState& state);
void dumpMainArea(ToolState& state);
void eraseBlock(ToolState& state);
void programBlockAtOffset(ToolState& state);

// Programs the pages from main-area offset `offset` for `length` bytes from `file` in the
// raw layout (page n at file offset n x 528), one page at a time through `buffer` (at least
// 528 bytes). Refuses, with nothing sent, when the file does not hold all those pages; stops
// at the first driver call that fails. Returns false when it refused or stopped.
bool programBlock(DeviceChannel& channel, std::FILE* file, std::uint32_t offset,
                  std::uint32_t length, std::uint8_t* buffer, const ToolConsole& console);
