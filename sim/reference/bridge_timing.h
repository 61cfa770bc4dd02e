#pragma once
// How long the reference bridge takes for what it does, on the simulated clock. Bus cycles
// follow the bridge's GPIF waveforms at IFCLK = 48 MHz (one state cycle = 5 ticks); each starts
// with one ready test that passes (more while the flash is busy). The processor overheads are
// estimates for the firmware's 12 MHz 8051 (one instruction cycle = 333 ns), not measurements.
#include "sim/sim_time.h"

namespace sim::bridge_timing {

constexpr SimTime IFCLK = ticksPerPeriod(48'000'000);
constexpr SimTime INSTRUCTION = 4 * ticksPerPeriod(12'000'000);

// Single write (command or address byte): ready test, 2 states with the byte driven, 4 with
// WE# low, 1 after; the flash latches on the WE# rising edge.
constexpr SimTime SINGLE_WRITE_CYCLE = 8 * IFCLK;
constexpr SimTime SINGLE_WRITE_LATCH = 7 * IFCLK;
// FIFO write (page data): ready test, 1 state driven, 4 with WE# low, 1 after, 4 released,
// the decision state, and one IFCLK for the pass through idle to the next byte.
constexpr SimTime FIFO_WRITE_CYCLE = 13 * IFCLK;
constexpr SimTime FIFO_WRITE_LATCH = 6 * IFCLK;
// FIFO read: ready test, RE# low for 3 states (the byte is taken by the flash's output from
// the falling edge), 3 high, the decision state, and the pass through idle.
constexpr SimTime FIFO_READ_CYCLE = 9 * IFCLK;
constexpr SimTime FIFO_READ_LATCH = 1 * IFCLK;

// Firmware work around the bus cycles (estimates): taking a packet from endpoint 4 and
// dispatching it; setting CLE/ALE and starting and polling one single write.
constexpr SimTime PACKET_INTAKE = 60 * INSTRUCTION;
constexpr SimTime SINGLE_WRITE_SETUP = 12 * INSTRUCTION;

}  // namespace sim::bridge_timing
