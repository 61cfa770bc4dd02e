// Endpoint buffers as host and firmware see them: reset flags, arming OUT buffers with the
// skip bit, NAKALL, and the buffer the CPU sees.
#include "tests/sim/fx2/chip_fixture.h"

namespace fx2test {
namespace {

class EndpointTest : public ChipFixture {
 protected:
  void SetUp() override { bridge.setStallTime(sim::milliseconds(2)); }
  std::uint8_t stat() { return chip.readSfr(sfr::EP2468STAT); }
};

TEST_F(EndpointTest, OutBuffersComeUpUnarmedAndReadFull) {
  EXPECT_EQ(stat(), 0x5A);
  chip.writeXdata(xreg::FIFORESET, 0x04);
  const std::uint8_t packet[3] = {0x12, 0x00, 0x04};
  EXPECT_FALSE(bridge.bulkOut(0x04, packet, 3));
  EXPECT_NE(bridge.lastError().find("bridge stalled:"), std::string::npos);
  EXPECT_NE(bridge.lastError().find("bulk write on endpoint 0x04"), std::string::npos);
}

TEST_F(EndpointTest, SkipArmsEachBufferOnceAndDropsAPacket) {
  // Four skips on a double-buffered endpoint arm its two buffers; the extra two find no
  // buffer on the CPU side and change nothing.
  for (int i = 0; i < 4; ++i) chip.writeXdata(xreg::EP4BCL, 0x80);
  EXPECT_EQ(stat() & 0x0C, 0x04);  // EP4 empty, not full
  const std::uint8_t a[2] = {0xA1, 0xA2}, b[2] = {0xB1, 0xB2}, c[2] = {0xC1, 0xC2};
  ASSERT_TRUE(bridge.bulkOut(0x04, a, 2));
  ASSERT_TRUE(bridge.bulkOut(0x04, b, 2));
  EXPECT_EQ(stat() & 0x0C, 0x08);  // both held: full
  EXPECT_FALSE(bridge.bulkOut(0x04, c, 2));  // NAKed until a buffer is skipped

  EXPECT_EQ(chip.readXdata(xreg::EP4FIFOBUF), 0xA1);
  EXPECT_EQ(chip.readXdata(xreg::EP4BCL), 2);
  chip.writeXdata(xreg::EP4BCH, 0);
  chip.writeXdata(xreg::EP4BCL, 0x80);
  EXPECT_EQ(chip.readXdata(xreg::EP4FIFOBUF), 0xB1);
  ASSERT_TRUE(bridge.bulkOut(0x04, c, 2));
  chip.writeXdata(xreg::EP4BCL, 0x80);
  EXPECT_EQ(chip.readXdata(xreg::EP4FIFOBUF + 1), 0xC2);
  chip.writeXdata(xreg::EP4BCL, 0x80);
  EXPECT_EQ(stat() & 0x0C, 0x04);
}

TEST_F(EndpointTest, NakAllHoldsOffTheHostUntilCleared) {
  chip.writeXdata(xreg::FIFORESET, 0x80);
  chip.writeXdata(xreg::FIFORESET, 0x82);  // reset EP2, NAKALL kept
  chip.writeXdata(xreg::EP2BCL, 0x80);
  const std::uint8_t data[4] = {1, 2, 3, 4};
  EXPECT_FALSE(bridge.bulkOut(0x02, data, 4));
  EXPECT_NE(bridge.lastError().find("NAKALL"), std::string::npos);
  chip.writeXdata(xreg::FIFORESET, 0x00);
  EXPECT_TRUE(bridge.bulkOut(0x02, data, 4));
}

TEST_F(EndpointTest, TransfersNeedTheAlternateSettingAndAMatchingEndpoint) {
  std::uint8_t buffer[4] = {};
  std::uint32_t n = 0;
  EXPECT_FALSE(bridge.bulkIn(0x02 | 0x80, buffer, 4, n));  // EP2 is OUT
  EXPECT_NE(bridge.lastError().find("not a bulk IN endpoint"), std::string::npos);
  EXPECT_FALSE(bridge.bulkOut(0x03, buffer, 4));
  ASSERT_TRUE(bridge.setInterface(0, 0));
  EXPECT_FALSE(bridge.bulkOut(0x02, buffer, 4));
  EXPECT_NE(bridge.lastError().find("alternate setting 1"), std::string::npos);
  EXPECT_FALSE(bridge.setInterface(1, 0));
}

TEST_F(EndpointTest, UnmodelledRegisterWritesAreRecorded) {
  chip.writeXdata(xreg::EP2FIFOCFG, 0x10);  // modelled
  chip.writeXdata(xreg::PINFLAGSAB, 0x12);  // not
  chip.writeSfr(0x98, 0x50);                // SCON0: not
  const auto& w = chip.unmodelledWrites();
  ASSERT_EQ(w.size(), 2u);
  EXPECT_EQ(w[0].address, xreg::PINFLAGSAB);
  EXPECT_FALSE(w[0].sfr);
  EXPECT_EQ(w[1].address, 0x98);
  EXPECT_TRUE(w[1].sfr);
  EXPECT_EQ(w[1].value, 0x50);
}

}  // namespace
}  // namespace fx2test
