#include "host/screen.h"

#include <cstdio>
#include <string>

namespace {
char shownAs(std::uint8_t byte) { return (byte >= 0x20 && byte <= 0x7F) ? char(byte) : '.'; }
}  // namespace

int printHexView(const ToolConsole& console, std::uint32_t length, const std::uint8_t* bytes) {
  if (length == 0) return -1;
  // One print per line keeps a refresh cheap while every line still appears as it completes.
  std::string line;
  char cell[8];
  for (std::uint32_t i = 0; i < length; ++i) {
    const std::uint32_t column = i % 16;
    const std::uint32_t lineStart = i & 0x7FF0;
    if (column == 0) {
      std::snprintf(cell, sizeof cell, "%04X: ", static_cast<unsigned>(lineStart));
      line = cell;
    }
    line += (column == 4 || column == 8 || column == 12) ? '-' : ' ';
    std::snprintf(cell, sizeof cell, "%02X", static_cast<unsigned>(bytes[i]));
    line += cell;
    if (column == 15) {
      line += "  ";
      for (std::uint32_t j = 0; j < 16; ++j) line += shownAs(bytes[lineStart + j]);
      line += '\n';
      console.print("%s", line.c_str());
      line.clear();
    }
  }
  if (!line.empty()) console.print("%s", line.c_str());
  return 0;
}

void drawScreen(ToolState& state) {
  const ToolConsole& console = state.console;
  console.clearScreen();
  printHexView(console, SCREEN_VIEW_SIZE, state.transferBuffer.get());
  console.print("F1 for help\n");
  console.print("\noffset:%08X\n", static_cast<unsigned>(state.flashOffset));
  console.print("       %*s*\n", 7 - state.cursorDigit, "");
  console.print("filename:%s\n", state.imageFileName != nullptr ? state.imageFileName : "(null)");
}
