#pragma once
// One time base for everything simulated: the 8051 core, the GPIF, the flash and the host's
// sleeps. A tick is 1/240 MHz (4.1667 ns), the smallest unit that divides every clock the
// chip runs on: the CPU at 12, 24 or 48 MHz (4 clocks per cycle) and IFCLK at 30 or 48 MHz.
#include <cstdint>

namespace sim {

using SimTime = std::uint64_t;

constexpr SimTime TICKS_PER_SECOND = 240'000'000;
constexpr SimTime TICKS_PER_MILLISECOND = TICKS_PER_SECOND / 1000;
constexpr SimTime TICKS_PER_MICROSECOND = TICKS_PER_SECOND / 1'000'000;

constexpr SimTime microseconds(std::uint64_t us) { return us * TICKS_PER_MICROSECOND; }
constexpr SimTime milliseconds(std::uint64_t ms) { return ms * TICKS_PER_MILLISECOND; }
constexpr double toSeconds(SimTime t) { return static_cast<double>(t) / TICKS_PER_SECOND; }

// Ticks per clock period for a clock of `hz` (must divide TICKS_PER_SECOND).
constexpr SimTime ticksPerPeriod(std::uint64_t hz) { return TICKS_PER_SECOND / hz; }

}  // namespace sim
