// Autovectored INT2 and INT4: each source enters the handler table at its own offset, in
// priority order when several are pending, and a cleared request lets the next one in.
#include <functional>

#include "tests/sim/fx2/chip_fixture.h"

namespace fx2test {
namespace {

struct VectorCase {
  const char* name;
  std::uint8_t usbie;
  std::uint8_t gpifie;
  std::function<void(ChipFixture&)> trigger;
  std::vector<std::uint8_t> offsets;
};

class AutovectorTest : public ChipFixture, public ::testing::WithParamInterface<VectorCase> {
 protected:
  void runCase(const VectorCase& c) {
    loadProgram("autovector");
    chip.runFor(sim::microseconds(20));
    chip.core().setIram(0x2E, c.gpifie);
    chip.core().setIram(0x2F, c.usbie);
    chip.core().setIram(0x2C, 1);
    chip.runFor(sim::microseconds(20));
    ASSERT_EQ(iram(0x2D), 1) << "program did not start";
    c.trigger(*this);
    chip.runFor(sim::microseconds(100));
    std::vector<std::uint8_t> seen;
    for (unsigned i = 0; i < iram(0x3F) && i < 32; ++i) seen.push_back(iram(0x40 + i));
    EXPECT_EQ(seen, c.offsets);
  }
};

TEST_P(AutovectorTest, EntersAtTheSourceOffset) { runCase(GetParam()); }

const std::uint8_t SETUP[8] = {0x40, 0x01, 0, 0, 0, 0, 0, 0};

INSTANTIATE_TEST_SUITE_P(
    Sources, AutovectorTest,
    ::testing::Values(
        VectorCase{"SetupDataBeforeSetupToken", 0x7D, 0,
                   [](ChipFixture& f) { f.chip.deliverSetup(SETUP); }, {0x00, 0x08}},
        VectorCase{"SetupTokenAloneWhenSudavIsOff", 0x04, 0,
                   [](ChipFixture& f) { f.chip.deliverSetup(SETUP); }, {0x08}},
        VectorCase{"StartOfFrame", 0x02, 0, [](ChipFixture&) {}, {0x04}},
        VectorCase{"Suspend", 0x7D, 0, [](ChipFixture& f) { f.chip.deliverSuspend(); }, {0x0C}},
        VectorCase{"BusResetThenHighSpeedGrant", 0x7D, 0,
                   [](ChipFixture& f) { f.chip.deliverBusReset(); }, {0x10, 0x14}},
        VectorCase{"Ep0Ack", 0x40, 0,
                   [](ChipFixture& f) {
                     f.chip.deliverSetup(SETUP);
                     f.chip.writeXdata(xreg::EP0CS, 0x80);
                   },
                   {0x18}},
        VectorCase{"GpifDoneBeforeWaveform", 0, 0x03,
                   [](ChipFixture& f) {
                     f.configureBridge();
                     // GINT in S0 of the single-read waveform.
                     f.chip.writeXdata(xreg::GPIF_WAVE_DATA + 64 + 8, 0x11);
                     f.chip.readXdata(xreg::XGPIFSGLDATLX);
                   },
                   {0xB0, 0xB4}},
        VectorCase{"GpifWaveformAlone", 0, 0x02,
                   [](ChipFixture& f) {
                     f.configureBridge();
                     f.chip.writeXdata(xreg::GPIF_WAVE_DATA + 64 + 8, 0x11);
                     f.chip.readXdata(xreg::XGPIFSGLDATLX);
                   },
                   {0xB4}},
        VectorCase{"BridgeWaveformsNeverRequestTheWaveformInterrupt", 0, 0x02,
                   [](ChipFixture& f) {
                     f.configureBridge();
                     f.busWrite(0x80, 0x90);
                     f.chip.readXdata(xreg::XGPIFSGLDATLX);
                   },
                   {}}),
    [](const ::testing::TestParamInfo<VectorCase>& i) { return std::string(i.param.name); });

TEST_F(ChipFixture, WithoutAutovectoringTheVectorJumpIsTakenAsWritten) {
  loadProgram("autovector");
  chip.runFor(sim::microseconds(20));
  chip.core().setIram(0x2F, 0x10);
  chip.core().setIram(0x2C, 1);
  chip.runFor(sim::microseconds(20));
  chip.writeXdata(xreg::INTSETUP, 0x00);
  chip.deliverBusReset();
  chip.runFor(sim::microseconds(50));
  // The plain jump lands on the table's first entry, offset 0, although URES is offset 0x10.
  ASSERT_EQ(iram(0x3F), 1);
  EXPECT_EQ(iram(0x40), 0x00);
}

}  // namespace
}  // namespace fx2test
