// mcs51-run: runs an Intel HEX image on a plain 8051 with 64 KB of unified code and external
// RAM and prints the final state, for checking the core against other simulators.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/mcs51/intel_hex.h"
#include "sim/mcs51/mcs51_core.h"
#include "sim/mcs51/mcs51_state_dump.h"

namespace {

int usage(const char* message) {
  std::fprintf(stderr,
               "mcs51-run: %s\nusage: mcs51-run [--until ADDR] [--steps N] [--xram A:B] FILE\n"
               "  ADDR, A, B in hexadecimal; N decimal (default 100000000)\n",
               message);
  return 64;
}

bool parseNumber(const std::string& text, int base, unsigned long long max,
                 unsigned long long& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  value = std::strtoull(text.c_str(), &end, base);
  return errno == 0 && *end == '\0' && text[0] != '-' && value <= max;
}

}  // namespace

int main(int argc, char** argv) {
  long long until = -1;
  unsigned long long steps = 100'000'000;
  bool dumpXram = false;
  unsigned long long xramFirst = 0, xramLast = 0;
  std::string file;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    unsigned long long v = 0;
    if (arg == "--until") {
      if (!hasValue || !parseNumber(argv[++i], 16, 0xFFFF, v))
        return usage("--until needs a hexadecimal address 0-FFFF");
      until = static_cast<long long>(v);
    } else if (arg == "--steps") {
      if (!hasValue || !parseNumber(argv[++i], 10, ~0ull, steps))
        return usage("--steps needs a decimal count");
    } else if (arg == "--xram") {
      const std::string range = hasValue ? argv[++i] : "";
      const auto colon = range.find(':');
      if (colon == std::string::npos || !parseNumber(range.substr(0, colon), 16, 0xFFFF, xramFirst) ||
          !parseNumber(range.substr(colon + 1), 16, 0xFFFF, xramLast) || xramFirst > xramLast)
        return usage("--xram needs a hexadecimal range A:B with A <= B");
      dumpXram = true;
    } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
      return usage(("unknown option " + arg).c_str());
    } else if (file.empty()) {
      file = arg;
    } else {
      return usage("more than one file given");
    }
  }
  if (file.empty()) return usage("no HEX file given");

  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "mcs51-run: cannot open %s\n", file.c_str());
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  std::vector<std::uint8_t> memory(0x10000, 0x00);
  const auto loaded = mcs51::loadIntelHex(text.str(), memory);
  if (!loaded.ok) {
    std::fprintf(stderr, "mcs51-run: %s: %s\n", file.c_str(), loaded.error.c_str());
    return 1;
  }

  mcs51::Core core;
  core.setMemory(memory.data(), static_cast<std::uint32_t>(memory.size()));
  core.reset();
  core.runInstructions(steps, static_cast<std::int32_t>(until));

  std::fputs(mcs51::formatRegisters(core).c_str(), stdout);
  std::fputs(mcs51::formatIram(core).c_str(), stdout);
  if (dumpXram)
    std::fputs(mcs51::formatXram(memory.data(), static_cast<std::uint32_t>(xramFirst),
                                 static_cast<std::uint32_t>(xramLast)).c_str(),
               stdout);
  if (core.stopReason() == mcs51::StopReason::ReservedOpcode) {
    std::fprintf(stderr, "mcs51-run: reserved opcode A5 at %04X\n", core.stopAddress());
    return 2;
  }
  const bool atBreak = until >= 0 && core.pc() == until;
  if (!atBreak && core.instructions() < steps && core.idle()) {
    std::fprintf(stderr, "mcs51-run: idle at %04X with no interrupt to wake it\n", core.pc());
    return 3;
  }
  return 0;
}
