// The firmware platform on the chip model: the configuration it leaves, endpoint 0's
// answer to setup packets, and suspend and resume.
#include <gtest/gtest.h>

#include "chip_session.h"

namespace firmware_test {
namespace {

namespace s = firmware_symbols;

TEST(Configuration, LeavesTheChipAsTheBridgeNeedsIt) {
  ChipSession session;
  ASSERT_TRUE(session.started());
  fx2::Fx2Chip& chip = session.chip();

  struct Expected { const char* name; std::uint16_t address; bool sfr; std::uint8_t mask, value; };
  const Expected registers[] = {
      {"CPUCS clock 12 MHz", 0xE600, false, 0x18, 0x00},
      {"IFCONFIG", 0xE601, false, 0xFF, 0xEA},
      {"REVCTL", 0xE60B, false, 0x03, 0x00},
      {"EP2CFG", 0xE612, false, 0xFF, 0xA2},
      {"EP4CFG", 0xE613, false, 0xFF, 0xA0},
      {"EP6CFG", 0xE614, false, 0xFF, 0xE2},
      {"EP8CFG", 0xE615, false, 0xFF, 0xE0},
      {"EP2FIFOCFG", 0xE618, false, 0x7F, 0x10},
      {"EP4FIFOCFG: WORDWIDE cleared, the reset bits kept", 0xE619, false, 0x7F, 0x04},
      {"EP6FIFOCFG", 0xE61A, false, 0x7F, 0x04},
      {"EP8FIFOCFG", 0xE61B, false, 0x7F, 0x08},
      {"GPIFWFSELECT", 0xE6C0, false, 0xFF, 0xE4},
      {"GPIFIDLECS", 0xE6C1, false, 0x80, 0x00},
      {"GPIFIDLECTL", 0xE6C2, false, 0x3F, 0x3F},
      {"GPIFCTLCFG", 0xE6C3, false, 0xFF, 0x00},
      {"GPIFREADYCFG", 0xE6F3, false, 0xE0, 0x80},
      {"GPIFIE", 0xE660, false, 0x03, 0x02},
      {"INTSETUP: AV2EN, INT4SRC, AV4EN", 0xE668, false, 0x0B, 0x0B},
      {"USBIE", 0xE65C, false, 0x7F, 0x3D},
      {"EIE: INT2 and INT4", 0xE8, true, 0x1F, 0x05},
      {"EICON: ERESI", 0xD8, true, 0x20, 0x20},
      {"IE: EA", 0xA8, true, 0x80, 0x80},
      {"CKCON stretch 0", 0x8E, true, 0x07, 0x00},
      {"OED", 0xB5, true, 0xFF, 0xFF},
      {"IOD", 0xB0, true, 0xFF, 0xFF},
      {"OEA untouched until the first command", 0xB2, true, 0xFF, 0x00},
  };
  for (const Expected& r : registers) {
    const std::uint8_t v = r.sfr ? (r.address == 0xE8 || r.address == 0xD8 || r.address == 0xA8 ||
                                            r.address == 0x8E
                                        ? chip.core().sfr(static_cast<std::uint8_t>(r.address))
                                        : chip.readSfr(static_cast<std::uint8_t>(r.address)))
                                 : chip.readXdata(r.address);
    EXPECT_EQ(v & r.mask, r.value) << r.name << " reads " << int(v);
  }

  for (unsigned i = 0; i < 128; ++i)
    EXPECT_EQ(chip.readXdata(0xE400 + i), chip.ram()[s::waveformTable + i]) << "waveform byte " << i;
  bool allDriven = false;
  EXPECT_EQ(chip.gpifAddressPins(allDriven), 0);
  EXPECT_TRUE(allDriven) << "port C and port E bit 7 carry the GPIF address";
  EXPECT_FALSE(chip.gpif().done()) << "the long write of the configuration is running";
  EXPECT_EQ(session.readCount(), 0);
  EXPECT_EQ(session.longWriteArmed(), 0);
  EXPECT_TRUE(chip.unmodelledWrites().empty());
}

TEST(Endpoint0, EverySetupPacketGetsAZeroLengthDataStageAndItsStatusStage) {
  ChipSession session;
  ASSERT_TRUE(session.started());
  fx2::Fx2Chip& chip = session.chip();
  const std::uint8_t requests[2][8] = {{0xC0, 0x51, 0, 0, 0, 0, 4, 0},
                                       {0x40, 0x33, 0x12, 0x34, 0, 0, 0, 0}};
  for (unsigned i = 0; i < 2; ++i) {
    chip.deliverSetup(requests[i]);
    chip.runFor(sim::microseconds(500));
    EXPECT_EQ(chip.ep0DataLength(), 0);
    EXPECT_FALSE(chip.ep0HandshakePending());
    EXPECT_FALSE(chip.ep0Stalled());
    EXPECT_EQ(chip.ep0StatusStages(), i + 1);
  }
  // the engine keeps running beside it
  ASSERT_TRUE(session.send({0x52, 0x70, 0, 0}));
  session.run(sim::microseconds(200));
  EXPECT_EQ(session.bus().size(), 1u);
}

TEST(Suspend, ResumeFromTheBusGoesBackToTheLoopWithoutResumeSignalling) {
  ChipSession session;
  ASSERT_TRUE(session.started());
  fx2::Fx2Chip& chip = session.chip();
  chip.deliverSuspend();
  chip.runFor(sim::milliseconds(1));
  EXPECT_TRUE(chip.usbSuspended());
  EXPECT_EQ(chip.suspendCount(), 1u);
  EXPECT_TRUE(chip.core().idle());
  // a packet put into endpoint 4 directly (a host would resume the bus first)
  fx2::EndpointFifo* commands = chip.endpoint(4);
  ASSERT_TRUE(commands->hostCanWrite());
  const std::uint8_t packet[4] = {0x52, 0x70, 0, 0};
  commands->hostWrite(packet, 4);
  chip.runFor(sim::milliseconds(1));
  EXPECT_TRUE(session.bus().empty()) << "no packet is taken while suspended";

  chip.deliverResume();
  chip.runFor(sim::milliseconds(1));
  EXPECT_FALSE(chip.usbSuspended());
  EXPECT_EQ(chip.suspendCount(), 1u);
  EXPECT_TRUE(chip.resumeSignals().empty());
  EXPECT_EQ(session.bus().size(), 1u) << "enginePoll runs again after the resume";
}

TEST(Suspend, AWakeUpPinPutsTheChipStraightBackIntoSuspend) {
  ChipSession session;
  ASSERT_TRUE(session.started());
  fx2::Fx2Chip& chip = session.chip();
  chip.writeXdata(0xE682, chip.readXdata(0xE682) | 0x01);  // WUEN: the board enables the pin
  chip.deliverSuspend();
  chip.runFor(sim::milliseconds(1));
  ASSERT_EQ(chip.suspendCount(), 1u);

  chip.wakeupPin(1);
  chip.runFor(sim::milliseconds(1));
  EXPECT_TRUE(chip.usbSuspended());
  EXPECT_EQ(chip.suspendCount(), 2u);
  EXPECT_EQ(chip.readXdata(0xE682) & 0x40, 0) << "the wake-up flag was cleared";

  chip.deliverResume();
  chip.runFor(sim::milliseconds(1));
  EXPECT_FALSE(chip.usbSuspended());
  EXPECT_EQ(chip.suspendCount(), 2u);
  EXPECT_TRUE(chip.resumeSignals().empty()) << "no pin event after the last test";
}

}  // namespace
}  // namespace firmware_test
