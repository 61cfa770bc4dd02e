#pragma once
// The runner's text form of the core's state: one register line, internal RAM, and
// optionally a range of external RAM.
#include <cstdint>
#include <string>

#include "sim/mcs51/mcs51_core.h"

namespace mcs51 {

std::string formatRegisters(const Core& core);
std::string formatIram(const Core& core);
// Lines "XRAM %04X: " with up to 16 bytes each, for first..last inclusive.
std::string formatXram(const std::uint8_t* memory, std::uint32_t first, std::uint32_t last);

}  // namespace mcs51
