// GPIF FIFO transactions: the transaction count, pausing on an empty or full FIFO, and the
// packets that auto-in and INPKTEND hand to the host.
#include "tests/sim/fx2/chip_fixture.h"

namespace fx2test {
namespace {

class GpifTransferTest : public ChipFixture {
 protected:
  void SetUp() override {
    configureBridge();
    fillFlash();
  }
  void startRead(std::uint32_t n) {
    setCount(n);
    chip.writeSfr(sfr::GPIFTRIG, 0x07);
  }
  std::vector<std::uint8_t> expected(std::uint32_t page, std::uint32_t n) {
    const std::uint8_t* p = flash.image() + std::uint64_t(page) * sim::NandFlash::PAGE_RAW_SIZE;
    return {p, p + n};
  }
};

TEST_F(GpifTransferTest, ReadPausesOnFullEndpointAndResumesAsTheHostCollects) {
  readPage(0);
  startRead(1200);
  chip.runFor(sim::milliseconds(2));
  // Two 512-byte buffers committed by auto-in, then no room: the GPIF waits, not done.
  EXPECT_FALSE(done());
  EXPECT_EQ(count(), 1200u - 1024u);
  EXPECT_EQ(chip.readSfr(sfr::EP2468STAT) & 0xC0, 0x80);  // EP8 full, not empty
  EXPECT_NE(chip.describe().find("waiting for room in endpoint 8"), std::string::npos);

  std::vector<std::uint8_t> got(1200);
  std::uint32_t n = 0;
  ASSERT_TRUE(bridge.bulkIn(0x88, got.data(), 1024, n));
  ASSERT_EQ(n, 1024u);
  runUntilDone();
  EXPECT_EQ(count(), 0u);
  // 176 bytes sit uncommitted until INPKTEND.
  EXPECT_FALSE(chip.endpoint(8)->hostHasPacket());
  chip.writeXdata(xreg::INPKTEND, 0x08);
  ASSERT_TRUE(bridge.bulkIn(0x88, got.data() + 1024, 176, n));
  EXPECT_EQ(n, 176u);
  // Across the page boundary the read goes on in page 1.
  std::vector<std::uint8_t> want = expected(0, 528);
  const auto second = expected(1, 1200 - 528);
  want.insert(want.end(), second.begin(), second.end());
  EXPECT_EQ(got, want);
}

TEST_F(GpifTransferTest, WritePausesOnEmptyEndpointWithTheCountLeft) {
  flash.enableTrace(true);
  setCount(10);
  chip.writeSfr(sfr::GPIFTRIG, 0x00);
  const std::uint8_t first[4] = {1, 2, 3, 4}, rest[6] = {5, 6, 7, 8, 9, 10};
  ASSERT_TRUE(bridge.bulkOut(0x02, first, 4));
  chip.runFor(sim::microseconds(20));
  EXPECT_FALSE(done());
  EXPECT_EQ(count(), 6u);
  EXPECT_EQ(flash.trace().size(), 4u);
  ASSERT_TRUE(bridge.bulkOut(0x02, rest, 6));
  runUntilDone();
  EXPECT_EQ(count(), 0u);
  ASSERT_EQ(flash.trace().size(), 10u);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(flash.trace()[i].value, i + 1);
}

// A counted read as the bridge's read step runs it: auto-in sends the full packets, INPKTEND
// the short rest, and nothing else reaches the host.
struct ReadCase {
  std::uint32_t count;
  std::vector<unsigned> packets;
  unsigned autoInLength = 0;  // 0: the reset value (512)
};

class CountedReadTest : public GpifTransferTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(CountedReadTest, HostReceivesExactlyTheCountInThesePackets) {
  const ReadCase& c = GetParam();
  if (c.autoInLength) {
    chip.writeXdata(xreg::EP8AUTOINLENH, static_cast<std::uint8_t>(c.autoInLength >> 8));
    chip.writeXdata(xreg::EP8AUTOINLENL, static_cast<std::uint8_t>(c.autoInLength));
  }
  readPage(0);
  startRead(c.count);
  std::vector<unsigned> packets;
  std::vector<std::uint8_t> got;
  EndpointFifo& ep8 = *chip.endpoint(8);
  const sim::SimTime end = chip.now() + sim::milliseconds(20);
  bool committed = false;
  while (chip.now() < end) {
    chip.runFor(sim::microseconds(2));
    while (ep8.hostHasPacket()) {
      packets.push_back(ep8.hostPacketLength());
      got.insert(got.end(), ep8.hostPacketData(), ep8.hostPacketData() + ep8.hostPacketLength());
      ep8.hostRelease();
    }
    if (done() && !committed) {
      chip.writeXdata(xreg::INPKTEND, 0x08);
      committed = true;
    }
  }
  EXPECT_EQ(packets, c.packets);
  ASSERT_EQ(got.size(), c.count);
  std::vector<std::uint8_t> want;
  for (std::uint32_t page = 0; want.size() < c.count; ++page) {
    const auto p = expected(page, 528);
    want.insert(want.end(), p.begin(), p.end());
  }
  want.resize(c.count);
  EXPECT_EQ(got, want);
}

std::vector<unsigned> fullPackets(unsigned n) { return std::vector<unsigned>(n, 512); }

INSTANTIATE_TEST_SUITE_P(
    Counts, CountedReadTest,
    ::testing::Values(ReadCase{4, {4}}, ReadCase{528, {512, 16}}, ReadCase{512, {512}},
                      ReadCase{16896, fullPackets(33)}, ReadCase{130, {64, 64, 2}, 64}));

// A FIFO left at its reset width (WORDWIDE) moves words: the flash sees every other byte
// of a write, and a read brings FD[15:8] along.
TEST_F(GpifTransferTest, WordWideFifosMoveTwoBytesPerCycle) {
  chip.writeXdata(xreg::EP2FIFOCFG, 0x11);
  chip.writeXdata(xreg::EP8FIFOCFG, 0x09);
  flash.enableTrace(true);
  const std::uint8_t data[4] = {0xA0, 0xA1, 0xB0, 0xB1};
  ASSERT_TRUE(bridge.bulkOut(0x02, data, 4));
  setCount(2);
  chip.writeSfr(sfr::GPIFTRIG, 0x00);
  runUntilDone();
  ASSERT_EQ(flash.trace().size(), 2u);
  EXPECT_EQ(flash.trace()[0].value, 0xA0);
  EXPECT_EQ(flash.trace()[1].value, 0xB0);
  EXPECT_TRUE(chip.readSfr(sfr::EP2468STAT) & 0x01);

  readPage(0);
  startRead(2);
  runUntilDone();
  chip.writeXdata(xreg::INPKTEND, 0x08);
  std::uint8_t got[8] = {};
  std::uint32_t n = 0;
  ASSERT_TRUE(bridge.bulkIn(0x88, got, 8, n));
  ASSERT_EQ(n, 4u);
  EXPECT_EQ(got[0], flash.image()[0]);
  EXPECT_EQ(got[1], 0xFF);
  EXPECT_EQ(got[2], flash.image()[1]);
  EXPECT_EQ(got[3], 0xFF);
}

TEST_F(GpifTransferTest, ZeroLengthInPacketOnlyWithZeroLenIn) {
  // EP6 has ZEROLENIN set, EP8 not: an INPKTEND on an empty buffer sends a zero-length
  // packet on EP6 only.
  chip.writeXdata(xreg::INPKTEND, 0x08);
  chip.writeXdata(xreg::INPKTEND, 0x06);
  EXPECT_FALSE(chip.endpoint(8)->hostHasPacket());
  ASSERT_TRUE(chip.endpoint(6)->hostHasPacket());
  EXPECT_EQ(chip.endpoint(6)->hostPacketLength(), 0u);
}

TEST_F(GpifTransferTest, ReadTimingIsNineCyclesPerByteAndTrPerPage) {
  readPage(0);
  const sim::SimTime start = chip.now();
  // The read command's page load, then two pages of bytes and the next page's load between.
  startRead(1024);
  flash.enableTrace(true);
  while (!done() && chip.now() < start + sim::milliseconds(5)) {
    chip.runFor(sim::microseconds(1));
    EndpointFifo& ep8 = *chip.endpoint(8);
    while (ep8.hostHasPacket()) ep8.hostRelease();
  }
  ASSERT_TRUE(done());
  ASSERT_EQ(flash.trace().size(), 1024u);
  const sim::SimTime last = flash.trace().back().time;
  const sim::SimTime perByte = 9 * IFCLK;
  const sim::SimTime span = last - flash.trace().front().time;
  // 1022 byte periods inside the pages; across the boundary tR from the last byte's RE#
  // edge, rounded up to the next S0 test, then S0 itself.
  EXPECT_GE(span, 1022 * perByte + sim::NandFlash::READ_BUSY + IFCLK);
  EXPECT_LT(span, 1022 * perByte + sim::NandFlash::READ_BUSY + 2 * IFCLK);
}

// Whole passes at once (pins untraced) and state by state (pins traced) give the flash the
// same read cycles at the same times, also across a page load and a full FIFO.
TEST_F(GpifTransferTest, WholePassReadMatchesTheStateByStateRun) {
  auto run = [&](bool tracePins) {
    chip.pins().enableTrace(tracePins);
    // Both runs start at the same phase of IFCLK and of the CPU clock.
    chip.runUntil((chip.now() / 240 + 1) * 240);
    const sim::SimTime start = chip.now();
    readPage(0);
    flash.clearTrace();
    startRead(1500);
    EndpointFifo& ep8 = *chip.endpoint(8);
    for (int i = 0; i < 400 && !done(); ++i) {
      chip.runFor(sim::microseconds(3) + i % 7);  // uneven slices
      if (i > 100 && ep8.hostHasPacket()) ep8.hostRelease();  // let the FIFO fill first
    }
    EXPECT_TRUE(done());
    chip.writeXdata(xreg::INPKTEND, 0x08);
    while (ep8.hostHasPacket()) ep8.hostRelease();
    std::vector<sim::SimTime> times;
    for (const sim::BusCycle& c : flash.trace())
      if (c.kind == sim::BusCycleKind::DataRead) times.push_back(c.time - start);
    return times;
  };
  flash.enableTrace(true);
  const auto fast = run(false);
  const auto slow = run(true);
  ASSERT_EQ(fast.size(), 1500u);
  ASSERT_EQ(slow.size(), 1500u);
  EXPECT_EQ(fast, slow);
}

}  // namespace
}  // namespace fx2test
