#pragma once
#include <string>

#include "host/tool_console.h"

inline constexpr int EXIT_NO_BRIDGE = 2;

// Printed when no bridge opens. `reasons` (one per line, possibly empty) says why instances
// that were there could not be opened; it goes before the usage lines.
void printUsage(const ToolConsole& console, const std::string& reasons);
