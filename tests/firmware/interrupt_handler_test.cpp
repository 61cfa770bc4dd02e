// The interrupt handlers on the bare core: each acknowledges its source and leaves every
// register of the interrupted code as it found it, while saving only ACC and the data
// pointer.
#include <gtest/gtest.h>

#include "core_fixture.h"
#include "firmware_symbols.h"

namespace firmware_test {
namespace {

namespace s = firmware_symbols;

struct HandlerCase {
  const char* name;
  std::uint16_t entry;
  std::uint8_t exifAfter;         // EXIF, all flags set before
  std::uint16_t register_;        // the chip register written
  std::uint8_t value;
  bool setsFlag;                  // a bit flag for the main loop
};

class Handlers : public ::testing::TestWithParam<HandlerCase> {};

TEST_P(Handlers, AcknowledgeTheirSourceAndPreserveTheInterruptedState) {
  const HandlerCase c = GetParam();
  FirmwareOnCore f;
  mcs51::Core& core = f.core();
  core.setSfr(0x91, 0xFF);  // EXIF
  core.setSfr(0xE0, 0x5A);  // ACC
  core.setSfr(0xF0, 0x3C);  // B
  core.setSfr(0xD0, 0xC4);  // PSW: CY, AC, OV
  for (std::uint8_t r = 0; r < 8; ++r) core.setIram(r, 0x10 + r);
  const std::uint8_t flagsBefore = core.iram(0x20);

  f.call(c.entry, 0x1234);  // DPTR 0x1234

  EXPECT_EQ(core.sfr(0x91), c.exifAfter);
  ASSERT_FALSE(f.xdataWrites.empty());
  EXPECT_EQ(f.xdataWrites.front(), (std::pair<std::uint16_t, std::uint8_t>{c.register_, c.value}));
  EXPECT_EQ(core.sfr(0xE0), 0x5A);
  EXPECT_EQ(core.sfr(0xF0), 0x3C);
  EXPECT_EQ(core.sfr(0xD0) & 0xFE, 0xC4);
  EXPECT_EQ(core.dptr(0), 0x1234);
  for (std::uint8_t r = 0; r < 8; ++r) EXPECT_EQ(core.iram(r), 0x10 + r) << "R" << int(r);
  EXPECT_EQ(core.sfr(0x81), 0x60) << "stack balanced";
  EXPECT_EQ(core.iram(0x20) != flagsBefore, c.setsFlag);
}

INSTANTIATE_TEST_SUITE_P(
    Autovectored, Handlers,
    ::testing::Values(HandlerCase{"SetupData", s::onSetupData, 0xEF, 0xE65D, 0x01, true},
                      HandlerCase{"SetupToken", s::onSetupToken, 0xEF, 0xE65D, 0x04, false},
                      HandlerCase{"Suspend", s::onSuspend, 0xEF, 0xE65D, 0x08, true},
                      HandlerCase{"BusReset", s::onBusReset, 0xEF, 0xE65D, 0x10, false},
                      HandlerCase{"HighSpeedGrant", s::onHighSpeedGrant, 0xEF, 0xE65D, 0x20, false},
                      HandlerCase{"GpifWaveform", s::onGpifWaveform, 0xBF, 0xE6F5, 0xFF, false}),
    [](const ::testing::TestParamInfo<HandlerCase>& info) { return std::string(info.param.name); });

TEST(Handlers, GpifWaveformAlsoClearsTheInt4Request) {
  FirmwareOnCore f;
  f.call(s::onGpifWaveform, 0);
  ASSERT_EQ(f.sfrWrites.size(), 1u);
  EXPECT_EQ(f.sfrWrites[0], (std::pair<std::uint8_t, std::uint8_t>{0xA2, 0xFF}));  // INT4CLR
}

TEST(Handlers, ResumeClearsOnlyItsFlag) {
  FirmwareOnCore f;
  f.core().setSfr(0xD8, 0xFF);  // EICON
  f.core().setSfr(0xE0, 0x77);
  f.call(s::onResume, 0);
  EXPECT_EQ(f.core().sfr(0xD8), 0xEF);
  EXPECT_EQ(f.core().sfr(0xE0), 0x77);
  EXPECT_TRUE(f.xdataWrites.empty());
}

}  // namespace
}  // namespace firmware_test
