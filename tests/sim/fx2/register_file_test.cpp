// Chip registers that are more than storage: auto-pointers, the waveform memory's gate,
// write-one-to-clear request bits and the GPIF address pins.
#include "tests/sim/fx2/chip_fixture.h"

namespace fx2test {
namespace {

TEST_F(ChipFixture, AutoPointersCopyIntoWaveformMemoryAndAdvance) {
  chip.writeXdata(xreg::IFCONFIG, 0xEA);
  for (int i = 0; i < 4; ++i) chip.ram()[0x1000 + i] = static_cast<std::uint8_t>(0x10 + i);
  chip.writeSfr(sfr::AUTOPTRSETUP, 0x07);
  chip.writeSfr(sfr::AUTOPTRH1, 0x10);
  chip.writeSfr(sfr::AUTOPTRL1, 0x00);
  chip.writeSfr(sfr::AUTOPTRH2, 0xE4);
  chip.writeSfr(sfr::AUTOPTRL2, 0x7E);
  for (int i = 0; i < 4; ++i) chip.writeXdata(xreg::XAUTODAT2, chip.readXdata(xreg::XAUTODAT1));
  EXPECT_EQ(chip.readXdata(0xE47E), 0x10);
  EXPECT_EQ(chip.readXdata(0xE47F), 0x11);
  // The pointer runs on past the waveform memory, where nothing is stored.
  EXPECT_EQ(chip.readSfr(sfr::AUTOPTRH2), 0xE4);
  EXPECT_EQ(chip.readSfr(sfr::AUTOPTRL2), 0x82);
  EXPECT_EQ(chip.readSfr(sfr::AUTOPTRL1), 0x04);
  // Without APTR1INC the pointer stays.
  chip.writeSfr(sfr::AUTOPTRSETUP, 0x05);
  chip.readXdata(xreg::XAUTODAT1);
  EXPECT_EQ(chip.readSfr(sfr::AUTOPTRL1), 0x04);
}

TEST_F(ChipFixture, WaveformMemoryAnswersOnlyInGpifMasterMode) {
  chip.writeXdata(xreg::GPIF_WAVE_DATA, 0x3F);  // IFCONFIG still 0x80: ports mode
  chip.writeXdata(xreg::IFCONFIG, 0xEA);
  EXPECT_EQ(chip.readXdata(xreg::GPIF_WAVE_DATA), 0x00);
  chip.writeXdata(xreg::GPIF_WAVE_DATA, 0x3F);
  EXPECT_EQ(chip.readXdata(xreg::GPIF_WAVE_DATA), 0x3F);
  chip.writeXdata(xreg::IFCONFIG, 0x80);
  EXPECT_EQ(chip.readXdata(xreg::GPIF_WAVE_DATA), 0xFF);
  ASSERT_FALSE(chip.unmodelledWrites().empty());
  EXPECT_EQ(chip.unmodelledWrites()[0].address, xreg::GPIF_WAVE_DATA);
}

TEST_F(ChipFixture, RequestBitsClearOnlyWhereOnesAreWritten) {
  chip.deliverSetup(std::array<std::uint8_t, 8>{}.data());
  chip.deliverSuspend();
  EXPECT_EQ(chip.readXdata(xreg::USBIRQ), 0x0D);  // SUDAV, SUTOK, SUSP
  chip.writeXdata(xreg::USBIRQ, 0x01);
  EXPECT_EQ(chip.readXdata(xreg::USBIRQ), 0x0C);
  chip.wakeupPin(1);
  chip.wakeupPin(2);
  chip.writeXdata(xreg::WAKEUPCS, 0x43);  // clear WU, set both enables
  EXPECT_EQ(chip.readXdata(xreg::WAKEUPCS), 0x83);
  // The handshake bit of EP0CS also clears by writing one.
  EXPECT_TRUE(chip.readXdata(xreg::EP0CS) & 0x80);
  chip.writeXdata(xreg::EP0CS, 0x00);
  EXPECT_TRUE(chip.ep0HandshakePending());
}

TEST_F(ChipFixture, GpifAddressPinsDriveZeroOnceConfigured) {
  bool driven = true;
  chip.gpifAddressPins(driven);
  EXPECT_FALSE(driven);
  chip.writeXdata(xreg::PORTCCFG, 0xFF);
  chip.writeSfr(sfr::OEC, 0xFF);
  chip.writeXdata(xreg::PORTECFG, 0x80);
  chip.writeSfr(sfr::OEE, 0x80);
  configureBridge();
  chip.writeXdata(xreg::GPIFADRH, 0);
  chip.writeXdata(xreg::GPIFADRL, 0);
  busWrite(0x80, 0x90);
  EXPECT_EQ(chip.gpifAddressPins(driven), 0);
  EXPECT_TRUE(driven);
}

}  // namespace
}  // namespace fx2test
