// USB suspend as the bridge firmware enters it: the CPU idles until the resume interrupt,
// which comes from resume signalling on the bus or from an enabled wake-up pin.
#include "tests/sim/fx2/chip_fixture.h"

namespace fx2test {
namespace {

class SuspendTest : public ChipFixture {
 protected:
  void SetUp() override {
    loadProgram("suspend");
    chip.runFor(sim::microseconds(20));
  }
  // The host suspends the bus, then the program suspends the chip.
  void suspendNow(std::uint8_t wakeupEnables) {
    chip.deliverSuspend();
    chip.writeXdata(xreg::WAKEUPCS, wakeupEnables);
    chip.core().setIram(0x2F, 1);
    chip.runFor(sim::microseconds(100));
    ASSERT_TRUE(chip.usbSuspended());
    ASSERT_TRUE(chip.core().idle());
  }
  std::uint8_t resumes() { return iram(0x30); }
  std::uint8_t idleReturns() { return iram(0x31); }
  std::uint8_t exits() { return iram(0x32); }
};

TEST_F(SuspendTest, HostResumeEndsSuspendThroughTheResumeInterrupt) {
  suspendNow(0x00);
  chip.runFor(sim::milliseconds(3));
  EXPECT_EQ(idleReturns(), 0);
  chip.deliverResume();
  chip.runFor(sim::microseconds(100));
  EXPECT_FALSE(chip.usbSuspended());
  EXPECT_EQ(resumes(), 1);
  EXPECT_EQ(idleReturns(), 1);
  EXPECT_EQ(exits(), 1);
  EXPECT_EQ(chip.suspendCount(), 1u);
  EXPECT_EQ(chip.core().sfr(0xD8) & 0x10, 0);  // RESI cleared by the handler
}

struct PinCase {
  const char* name;
  std::uint8_t enables;  // WAKEUPCS bits 1-0: WU2EN, WUEN
  unsigned pin;
  bool wakes;
};

class WakeupPinTest : public SuspendTest, public ::testing::WithParamInterface<PinCase> {};

TEST_P(WakeupPinTest, AnEnabledPinWakesAndTheLoopSuspendsAgain) {
  const PinCase& c = GetParam();
  suspendNow(c.enables);
  chip.wakeupPin(c.pin);
  chip.runFor(sim::microseconds(100));
  EXPECT_EQ(resumes(), c.wakes ? 1 : 0);
  EXPECT_EQ(idleReturns(), c.wakes ? 1 : 0);
  // Woken by a pin, the loop goes straight back into suspend; only a bus resume ends it.
  EXPECT_TRUE(chip.usbSuspended());
  EXPECT_EQ(chip.suspendCount(), c.wakes ? 2u : 1u);
  EXPECT_EQ(exits(), 0);
  chip.deliverResume();
  chip.runFor(sim::microseconds(100));
  EXPECT_EQ(exits(), 1);
  EXPECT_FALSE(chip.usbSuspended());
}

INSTANTIATE_TEST_SUITE_P(
    Pins, WakeupPinTest,
    ::testing::Values(PinCase{"WakeupEnabled", 0x01, 1, true},
                      PinCase{"Wu2Enabled", 0x02, 2, true},
                      PinCase{"WakeupNotEnabled", 0x02, 1, false},
                      PinCase{"Wu2NotEnabled", 0x01, 2, false}),
    [](const ::testing::TestParamInfo<PinCase>& i) { return std::string(i.param.name); });

TEST_F(SuspendTest, SuspendingOnABusyBusEndsAtTheNextFrame) {
  chip.core().setIram(0x2F, 1);
  chip.runFor(Fx2Chip::MICROFRAME + sim::microseconds(20));
  EXPECT_FALSE(chip.usbSuspended());
  EXPECT_EQ(resumes(), 1);
  EXPECT_EQ(exits(), 1);
}

TEST_F(ChipFixture, ResumeSignallingIsRecordedWithItsDuration) {
  chip.writeXdata(xreg::USBCS, 0x01);
  chip.runFor(sim::milliseconds(20));
  chip.writeXdata(xreg::USBCS, 0x00);
  ASSERT_EQ(chip.resumeSignals().size(), 1u);
  EXPECT_EQ(chip.resumeSignals()[0].end - chip.resumeSignals()[0].start, sim::milliseconds(20));
}

}  // namespace
}  // namespace fx2test
