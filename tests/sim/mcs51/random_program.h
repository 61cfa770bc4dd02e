#pragma once
// Random 8051 programs for checking our core against ucsim: every opcode with operands
// biased to the flag corner cases, and control flow kept inside the program (branches and
// jumps go forward only, calls go to subroutines that touch nothing but A, B and the flags),
// so every program ends at `endAddress` (an SJMP to itself).
#include <cstdint>
#include <vector>

namespace mcs51::testing {

// External RAM the programs use: MOVX addresses stay in [kXramFirst, kXramLast]; code lies
// below, so a unified 64 KB memory and ucsim's separate code and data spaces agree.
constexpr std::uint16_t kXramFirst = 0x8000;
constexpr std::uint16_t kXramLast = 0x83FF;

struct RandomProgram {
  std::vector<std::uint8_t> code;  // loaded at 0
  std::uint16_t endAddress = 0;
};

RandomProgram generateRandomProgram(std::uint32_t seed, unsigned items = 160);

}  // namespace mcs51::testing
