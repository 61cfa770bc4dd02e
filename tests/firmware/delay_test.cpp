// The millisecond delay, timed on the core in simulated instruction cycles.
#include <gtest/gtest.h>

#include "core_fixture.h"
#include "firmware_symbols.h"

namespace firmware_test {
namespace {

namespace s = firmware_symbols;

TEST(DelayOneMillisecond, LastsAboutOneMillisecondAt24MHz) {
  FirmwareOnCore f;
  const std::uint64_t cycles = f.call(s::delayOneMillisecond, 0);
  // 24 MHz / 4 clocks = 6 cycles per microsecond
  EXPECT_NEAR(static_cast<double>(cycles) / 6.0, 1005.0, 3.0);
  EXPECT_EQ(f.core().sfr(0x86), 0) << "DPS selects data pointer 0";
}

struct DelayCase {
  std::uint8_t cpucs;
  std::uint16_t count;
  unsigned baseLoops;
};

class DelayMilliseconds : public ::testing::TestWithParam<DelayCase> {};

TEST_P(DelayMilliseconds, RunsTheBaseLoopScaledToTheClock) {
  const DelayCase c = GetParam();
  FirmwareOnCore f;
  f.setRegister(0xE600, c.cpucs);
  const std::uint64_t loop = f.call(s::delayOneMillisecond, 0);
  const std::uint64_t total = f.call(s::delayMilliseconds, c.count);
  // every base loop is the same; what the scaling adds around them is a few cycles a loop
  EXPECT_GE(total, c.baseLoops * loop);
  EXPECT_LT(total, c.baseLoops * (loop + 40) + 100);
}

INSTANTIATE_TEST_SUITE_P(
    Clocks, DelayMilliseconds,
    ::testing::Values(DelayCase{0x02, 20, 10},   // 12 MHz (CLKOUT bit set as configured)
                      DelayCase{0x0A, 20, 20},   // 24 MHz
                      DelayCase{0x12, 20, 40},   // 48 MHz
                      DelayCase{0x1A, 20, 20},   // reserved setting: the count as given
                      DelayCase{0x02, 3, 2},     // half the count, rounded up
                      DelayCase{0x02, 1, 1},
                      DelayCase{0x02, 0, 0},
                      DelayCase{0x12, 0, 0}));

TEST(DelayMilliseconds, TwentyAt12MHzLastsAbout20Milliseconds) {
  FirmwareOnCore f;
  f.setRegister(0xE600, 0x02);
  const std::uint64_t cycles = f.call(s::delayMilliseconds, 20);
  EXPECT_NEAR(static_cast<double>(cycles) / 3.0 / 1000.0, 20.1, 0.15);  // 3 cycles per µs
}

}  // namespace
}  // namespace firmware_test
