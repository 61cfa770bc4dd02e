#pragma once
// The question before erase and program. Any key confirms except ESC; an unreadable console
// does not confirm either, so a lost console can never start an erase or a program.
#include <cstdint>

#include "host/tool_state.h"

bool confirmBlockAction(ToolState& state, const char* action, std::uint32_t block);
