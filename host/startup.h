#pragma once
// The tool from start to end: find and open the bridge, allocate the transfer buffer, take
// the file name, load the firmware, select the interface, run the command loop.
#include "host/drivers/driver_device.h"
#include "host/tool_console.h"

inline constexpr int EXIT_NO_MEMORY = -1;

struct ToolEnvironment {
  ToolConsole console;
  DriverOpener opener = nullptr;
  char* firmwareText = nullptr;  // writable Intel HEX, used up by the download
};

// Returns the process's exit status.
int runTool(int argc, char** argv, const ToolEnvironment& environment);
