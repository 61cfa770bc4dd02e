#include "host/usage.h"

void printUsage(const ToolConsole& console, const std::string& reasons) {
  std::fputs(reasons.c_str(), console.err);
  std::fputs(
      "nandbridge: reads, erases and programs the NAND flash behind an EZ-USB FX2 bridge\n"
      "usage: nandbridge [FILE]  (FILE for dumps and programming)  or  nandbridge -g  "
      "(choose FILE in the file requester)\n"
      "without a bridge: NANDBRIDGE_SIM=<flash image> nandbridge ...  runs it on the "
      "simulated bridge\n",
      console.err);
  std::fflush(console.err);
}
