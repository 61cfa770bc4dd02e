#pragma once
// Messages the workflows share for what stops them.
#include <cstdint>
#include <string>

#include "host/tool_state.h"

// The prompt that ends a workflow's messages, and its key wait.
void pressKeyToContinue(ToolState& state);

// Offsets at or beyond the end of the main area would address a page near the start of the
// device; the workflows refuse them. True when refused (message shown, key awaited).
bool refuseBeyondFlash(ToolState& state, std::uint32_t offset);

// "<step> failed: <driver's reason>" on a line of its own.
void printStepFailure(const ToolConsole& console, const DeviceChannel& channel,
                      const std::string& step);
// The same, then the key wait: the workflow stops here.
void stopAtFailedStep(ToolState& state, const std::string& step);

std::string hex8(std::uint32_t value);
