#include "host/usage.h"

void printUsage(const ToolConsole& console, const std::string& reasons) {
  std::fputs(reasons.c_str(), console.err);
  std::fputs(
      "nandbridge: reads, erases and programs the NAND flash behind an EZ-USB FX2 bridge\n"
      "usage: nandbridge [FILE]  or  nandbridge -g  (choose FILE in a file requester)\n"
      "simulated bridge: NANDBRIDGE_SIM=<flash image> nandbridge ...\n",
      console.err);
  std::fflush(console.err);
}
