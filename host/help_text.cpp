#include "host/help_text.h"

#include "host/key_input.h"

const char helpText[] =
    "F5=Open file requester to specify file for read/write\r\n"
    "D=Dump complete rom 64MB+2MB spare area [69,206,016 bytes]\r\n"
    "L=Dump only 64MB main data area\r\n"
    "1=Dump flash at offset to screen\r\n"
    "3=Read Flash status register\r\n"
    "4=Read Flash ID\r\n"
    "Z=Program flash at offset with file (1 Block only)\r\n"
    "E=Erase 1 Block at offset\r\n"
    "(offsets for block operations are aligned to 16k boundary)\r\n"
    "Use Arrow Keys to set offset\r\n"
    "\r\n"
    "Press the ANY key\r\n";

void showHelp(ToolState& state) {
  state.console.clearScreen();
  state.console.print("%s", helpText);
  waitKey(state);
}
