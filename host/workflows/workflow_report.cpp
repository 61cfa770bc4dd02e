#include "host/workflows/workflow_report.h"

#include <cstdio>

#include "host/key_input.h"
#include "host/link/nand_geometry.h"

void pressKeyToContinue(ToolState& state) {
  state.console.print("Press Key to continue\n");
  waitKey(state);
}

bool refuseBeyondFlash(ToolState& state, std::uint32_t offset) {
  if (offset < MAIN_AREA_SIZE) return false;
  state.console.print("Offset %08X is beyond the end of the flash (%08X): nothing sent\n",
                      static_cast<unsigned>(offset), static_cast<unsigned>(MAIN_AREA_SIZE));
  pressKeyToContinue(state);
  return true;
}

void printStepFailure(const ToolConsole& console, const DeviceChannel& channel,
                      const std::string& step) {
  const std::string reason = channelError(channel);
  if (reason.empty()) {
    console.print("%s failed\n", step.c_str());
  } else {
    console.print("%s failed: %s\n", step.c_str(), reason.c_str());
  }
}

void stopAtFailedStep(ToolState& state, const std::string& step) {
  printStepFailure(state.console, state.channel, step);
  pressKeyToContinue(state);
}

std::string hex8(std::uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
  return text;
}
