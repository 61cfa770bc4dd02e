// The bridge's waveforms as they run on the pins: strobe widths, data set-up and hold, the
// wait for R/B#, and aborts.
#include "tests/sim/fx2/chip_fixture.h"

namespace fx2test {
namespace {

// Edges of one write cycle on the pins, in IFCLK cycles.
struct WriteCycle {
  sim::SimTime driveStart, weFall, weRise, driveEnd;
};

std::vector<WriteCycle> writeCycles(const std::vector<PinEvent>& events) {
  std::vector<WriteCycle> cycles;
  bool driven = false, we = true;
  WriteCycle c{};
  for (const PinEvent& e : events) {
    if (e.fdDriven && !driven) c.driveStart = e.time;
    if (!(e.ctl & NandPins::WE) && we) c.weFall = e.time;
    if ((e.ctl & NandPins::WE) && !we) c.weRise = e.time;
    if (!e.fdDriven && driven) {
      c.driveEnd = e.time;
      cycles.push_back(c);
    }
    driven = e.fdDriven;
    we = e.ctl & NandPins::WE;
  }
  return cycles;
}

class GpifWaveformTest : public ChipFixture {
 protected:
  void SetUp() override {
    configureBridge();
    chip.pins().enableTrace(true);
    flash.enableTrace(true);
  }
};

// A single write starts from the external-data register or from its SFR twin.
class SingleWriteTest : public GpifWaveformTest, public ::testing::WithParamInterface<bool> {};

TEST_P(SingleWriteTest, HoldsWeLowFourCyclesWithDataTwoBeforeAndOneAfter) {
  if (GetParam()) {
    chip.writeSfr(sfr::GPIFSGLDATH, 0);
    chip.writeSfr(sfr::GPIFSGLDATLX, 0xA5);
  } else {
    chip.writeXdata(xreg::XGPIFSGLDATH, 0);
    chip.writeXdata(xreg::XGPIFSGLDATLX, 0xA5);
  }
  EXPECT_FALSE(done());
  runUntilDone();
  const auto cycles = writeCycles(chip.pins().trace());
  ASSERT_EQ(cycles.size(), 1u);
  EXPECT_EQ(cycles[0].weFall - cycles[0].driveStart, 2 * IFCLK);
  EXPECT_EQ(cycles[0].weRise - cycles[0].weFall, 4 * IFCLK);
  EXPECT_EQ(cycles[0].driveEnd - cycles[0].weRise, 1 * IFCLK);
  ASSERT_EQ(flash.trace().size(), 1u);
  EXPECT_EQ(flash.trace()[0].kind, sim::BusCycleKind::DataWrite);
  EXPECT_EQ(flash.trace()[0].value, 0xA5);
  EXPECT_EQ(flash.trace()[0].time, cycles[0].weRise);
}

INSTANTIATE_TEST_SUITE_P(Trigger, SingleWriteTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& i) {
                           return std::string(i.param ? "Sfr" : "Xdata");
                         });

TEST_F(GpifWaveformTest, FifoWriteCyclesAndTheReleaseBetweenBytes) {
  const std::uint8_t page[3] = {0x11, 0x22, 0x33};
  ASSERT_TRUE(bridge.bulkOut(0x02, page, 3));
  setCount(3);
  chip.writeSfr(sfr::GPIFTRIG, 0x00);
  runUntilDone();
  const auto cycles = writeCycles(chip.pins().trace());
  ASSERT_EQ(cycles.size(), 3u);
  for (std::size_t i = 0; i < cycles.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(cycles[i].weFall - cycles[i].driveStart, 1 * IFCLK);
    EXPECT_EQ(cycles[i].weRise - cycles[i].weFall, 4 * IFCLK);
    EXPECT_EQ(cycles[i].driveEnd - cycles[i].weRise, 1 * IFCLK);
    // Released through S4 (4 cycles), the final decision, the idle pass and the next S0 test.
    if (i + 1 < cycles.size()) {
      EXPECT_EQ(cycles[i + 1].driveStart - cycles[i].driveEnd,
                (4 + 1 + Gpif::IDLE_PASS_CYCLES + 1) * IFCLK);
    }
  }
  ASSERT_EQ(flash.trace().size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(flash.trace()[i].value, page[i]);
  EXPECT_EQ(count(), 0u);
  // Each byte left endpoint 2 after its strobe: the endpoint reads empty again.
  EXPECT_TRUE(chip.readSfr(sfr::EP2468STAT) & 0x01);
}

TEST_F(GpifWaveformTest, BusyFlashHoldsASingleWriteInS0UntilReady) {
  // A block erase makes the flash busy for tBERS.
  busWrite(0x80, 0x60);
  for (int i = 0; i < 3; ++i) busWrite(0x40, 0x00);
  busWrite(0x80, 0xD0);
  const sim::SimTime ready = flash.readyTime();
  ASSERT_GT(ready, chip.now() + sim::milliseconds(1));
  flash.clearTrace();
  chip.pins().clearTrace();

  chip.writeSfr(sfr::IOA, 0x80);
  chip.writeXdata(xreg::XGPIFSGLDATLX, 0x70);
  chip.runUntil(ready - sim::microseconds(1));
  EXPECT_FALSE(done());
  EXPECT_TRUE(flash.trace().empty());
  EXPECT_EQ(chip.pins().ctl() & NandPins::WE, NandPins::WE);
  EXPECT_NE(chip.describe().find("GPIF waiting for RDY0 in waveform 3 state S0"), std::string::npos)
      << chip.describe();

  runUntilDone();
  ASSERT_EQ(flash.trace().size(), 1u);
  EXPECT_EQ(flash.trace()[0].kind, sim::BusCycleKind::Command);
  // The first test that sees R/B# high is followed by S1 (2 cycles) and S2 (4 cycles).
  EXPECT_GE(flash.trace()[0].time, ready + 7 * IFCLK);
  EXPECT_LT(flash.trace()[0].time, ready + 8 * IFCLK);
  EXPECT_EQ(flash.busyViolations(), 0u);
}

TEST_F(GpifWaveformTest, AbortReturnsToIdleAtOnce) {
  flash.setStuckBusy(true);
  setCount(100);
  chip.writeSfr(sfr::GPIFTRIG, 0x07);
  chip.runFor(sim::microseconds(20));
  EXPECT_FALSE(done());
  chip.writeXdata(xreg::GPIFABORT, 0xFF);
  EXPECT_TRUE(done());
  EXPECT_EQ(chip.pins().ctl(), 0x3F);
  flash.setStuckBusy(false);
  chip.runFor(sim::microseconds(50));
  EXPECT_TRUE(flash.trace().empty());
  EXPECT_EQ(count(), 100u);
}

}  // namespace
}  // namespace fx2test
