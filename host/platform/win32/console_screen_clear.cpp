// Clears the screen on the Windows console: a fixed 80 by 60 cells of blanks from the top-left
// corner (colours left alone), then the cursor back there.
#include <windows.h>

#include <cstdio>

#include "host/platform/console.h"

namespace {
constexpr DWORD CLEARED_CELLS = 80 * 60;
}

void clearScreen() {
  // Text printed before the clear must not be overtaken by it.
  std::fflush(stdout);
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD written = 0;
  FillConsoleOutputCharacterA(output, ' ', CLEARED_CELLS, COORD{0, 0}, &written);
  SetConsoleCursorPosition(output, COORD{0, 0});
}
