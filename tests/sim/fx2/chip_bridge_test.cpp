// The chip bridge as the host sees it: a counted read run by the CPU ends in full packets
// and a short one, and a bridge that cannot make progress fails with where it stands.
#include "tests/sim/fx2/chip_fixture.h"

namespace fx2test {
namespace {

class ReadStepTest : public ChipFixture, public ::testing::WithParamInterface<std::uint32_t> {
 protected:
  void start(std::uint32_t count) {
    fillFlash();
    loadProgram("read_step");
    chip.ram()[0x80] = static_cast<std::uint8_t>(count >> 8);
    chip.ram()[0x81] = static_cast<std::uint8_t>(count);
    configureBridge();
    readPage(0);
    chip.core().setIram(0x2F, 1);
  }
};

TEST_P(ReadStepTest, BulkReadGetsExactlyTheCount) {
  const std::uint32_t count = GetParam();
  start(count);
  std::vector<std::uint8_t> got(count + 512);
  std::uint32_t n = 0;
  // Asking for more than the count: the short packet (or, for a multiple of 512, the
  // missing next packet) ends the transfer.
  const bool ok = bridge.bulkIn(0x88, got.data(), count % 512 ? count + 512 : count, n);
  ASSERT_TRUE(ok) << bridge.lastError();
  ASSERT_EQ(n, count);
  got.resize(n);
  EXPECT_TRUE(std::equal(got.begin(), got.end(), flash.image()));
  chip.runFor(sim::microseconds(50));
  EXPECT_EQ(iram(0x30), 1);  // the program saw DONE and committed
  EXPECT_FALSE(chip.endpoint(8)->hostHasPacket());  // no zero-length packet after it
}

INSTANTIATE_TEST_SUITE_P(Counts, ReadStepTest, ::testing::Values(528u, 16896u));

TEST_F(ChipFixture, StalledReadReportsTheGpifWaitingForRdy0) {
  bridge.setStallTime(sim::milliseconds(20));
  configureBridge();
  flash.setStuckBusy(true);
  setCount(16);
  chip.writeSfr(sfr::GPIFTRIG, 0x07);
  std::uint8_t buffer[16];
  std::uint32_t n = 0;
  const sim::SimTime start = chip.now();
  EXPECT_FALSE(bridge.bulkIn(0x88, buffer, 16, n));
  EXPECT_EQ(n, 0u);
  EXPECT_NE(bridge.lastError().find("bridge stalled: GPIF waiting for RDY0 in waveform 0 state S0"),
            std::string::npos)
      << bridge.lastError();
  EXPECT_GE(chip.now() - start, sim::milliseconds(20));
  EXPECT_LT(chip.now() - start, sim::milliseconds(21));
}

TEST_F(ChipFixture, OtherVendorRequestsWaitForTheFirmwaresHandshake) {
  bridge.setStallTime(sim::milliseconds(5));
  // No firmware answers: the request fails instead of hanging.
  EXPECT_FALSE(bridge.controlOut(0x40, 0, 0, nullptr, 0));
  EXPECT_NE(bridge.lastError().find("control request"), std::string::npos);
  EXPECT_TRUE(chip.ep0HandshakePending());
  chip.writeXdata(xreg::EP0BCH, 0);
  chip.writeXdata(xreg::EP0BCL, 0);
  chip.writeXdata(xreg::EP0CS, 0x80);
  EXPECT_FALSE(chip.ep0HandshakePending());
  EXPECT_EQ(chip.ep0DataLength(), 0);
  EXPECT_EQ(chip.ep0StatusStages(), 1u);
}

}  // namespace
}  // namespace fx2test
