#include "host/tool_console.h"

#include <cstdarg>

void ToolConsole::print(const char* format, ...) const {
  va_list args;
  va_start(args, format);
  std::vfprintf(out, format, args);
  va_end(args);
  std::fflush(out);
}
