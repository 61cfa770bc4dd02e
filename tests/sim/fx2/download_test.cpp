// The USB core's firmware load: request 0xA0 into RAM while the CPU is held in reset, the
// restart from 0x0000 with reset register values, and the CPU clock from CLKSPD.
#include "tests/sim/fx2/chip_fixture.h"

namespace fx2test {
namespace {

TEST_F(ChipFixture, ReleaseStartsTheProgramWithResetRegisterValues) {
  chip.writeXdata(xreg::IFCONFIG, 0xEA);
  chip.writeXdata(xreg::FIFORESET, 0x80);
  EXPECT_TRUE(chip.cpuHeldInReset());
  loadProgram("self_modify");
  EXPECT_FALSE(chip.cpuHeldInReset());
  EXPECT_EQ(chip.readXdata(xreg::IFCONFIG), 0x80);
  EXPECT_FALSE(chip.nakAll());
  EXPECT_EQ(chip.readSfr(sfr::EP2468STAT), 0x5A);
  chip.runFor(sim::microseconds(200));
  // The routine written with MOVX ran from the same RAM.
  EXPECT_EQ(iram(0x30), 0xAA);
  EXPECT_EQ(chip.core().pc(), 0x0303);
}

TEST_F(ChipFixture, HoldingResetStopsTheCore) {
  loadProgram("clock_counter");
  chip.runFor(sim::microseconds(100));
  const std::uint8_t hold = 1;
  ASSERT_TRUE(bridge.controlOut(0xA0, xreg::CPUCS, 0, &hold, 1));
  const std::uint64_t cycles = chip.core().cycles();
  chip.runFor(sim::milliseconds(1));
  EXPECT_EQ(chip.core().cycles(), cycles);
}

TEST_F(ChipFixture, RequestOutsideRamAndCpucsIsRefused) {
  const std::uint8_t data[4] = {};
  EXPECT_FALSE(bridge.controlOut(0xA0, 0x3FFE, 0, data, 4));
  EXPECT_NE(bridge.lastError().find("0x3FFE-0x4001"), std::string::npos);
  EXPECT_FALSE(bridge.controlOut(0xA0, 0xE601, 0, data, 1));
  EXPECT_TRUE(bridge.controlOut(0xA0, 0x3FFC, 0, data, 4));
}

struct ClockCase {
  std::uint8_t cpucs;
  std::uint64_t cyclesPerMillisecond;  // instruction cycles: clock / 4
};

class CpuClockTest : public ChipFixture, public ::testing::WithParamInterface<ClockCase> {};

TEST_P(CpuClockTest, ClkspdSetsTheCoreClock) {
  loadProgram("clock_counter");
  chip.ram()[0x0080] = GetParam().cpucs;
  chip.runFor(sim::microseconds(50));
  const std::uint64_t start = chip.core().cycles();
  chip.runFor(sim::milliseconds(1));
  const std::uint64_t cycles = chip.core().cycles() - start;
  EXPECT_NEAR(double(cycles), double(GetParam().cyclesPerMillisecond), 8.0);
  // The CPU cannot put itself into reset through CPUCS.
  EXPECT_FALSE(chip.cpuHeldInReset());
}

INSTANTIATE_TEST_SUITE_P(Speeds, CpuClockTest,
                         ::testing::Values(ClockCase{0x02, 3000}, ClockCase{0x0A, 6000},
                                           ClockCase{0x12, 12000}, ClockCase{0x13, 12000}));

}  // namespace
}  // namespace fx2test
