#include "host/platform/console.h"
#include "host/tool_console.h"

ToolConsole platformConsole() {
  ToolConsole console;
  console.readKeyCode = [] { return ::readKeyCode(); };
  console.clearScreen = [] {
    std::fflush(stdout);  // the clear must not overtake text printed before it
    ::clearScreen();
  };
  console.requestFileName = [](char* buffer, std::size_t capacity, char* title,
                               std::size_t titleCapacity) {
    ::requestFileName(buffer, capacity, title, titleCapacity);
  };
  return console;
}
