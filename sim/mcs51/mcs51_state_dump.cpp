#include "sim/mcs51/mcs51_state_dump.h"

#include <cstdio>

namespace mcs51 {

std::string formatRegisters(const Core& core) {
  char line[200];
  std::snprintf(line, sizeof line,
                "PC=%04X A=%02X B=%02X PSW=%02X SP=%02X DPTR0=%04X DPTR1=%04X DPS=%02X "
                "CYCLES=%llu INSTRUCTIONS=%llu\n",
                core.pc(), core.sfr(0xE0), core.sfr(0xF0), core.sfr(0xD0), core.sfr(0x81),
                core.dptr(0), core.dptr(1), core.sfr(0x86),
                static_cast<unsigned long long>(core.cycles()),
                static_cast<unsigned long long>(core.instructions()));
  return line;
}

namespace {

template <typename ByteAt>
std::string formatRows(const char* label, const char* addressFormat, std::uint32_t first,
                       std::uint32_t last, ByteAt byteAt) {
  std::string out;
  char buf[16];
  for (std::uint32_t row = first; row <= last; row += 16) {
    out += label;
    std::snprintf(buf, sizeof buf, addressFormat, row);
    out += buf;
    out += ':';
    for (std::uint32_t a = row; a <= last && a < row + 16; ++a) {
      std::snprintf(buf, sizeof buf, " %02X", byteAt(a));
      out += buf;
    }
    out += '\n';
  }
  return out;
}

}  // namespace

std::string formatIram(const Core& core) {
  return formatRows("IRAM ", "%02X", 0, 0xFF, [&](std::uint32_t a) {
    return static_cast<unsigned>(core.iram(static_cast<std::uint8_t>(a)));
  });
}

std::string formatXram(const std::uint8_t* memory, std::uint32_t first, std::uint32_t last) {
  return formatRows("XRAM ", "%04X", first, last,
                    [&](std::uint32_t a) { return static_cast<unsigned>(memory[a]); });
}

}  // namespace mcs51
