// Command engine cases that the host never produces but the engine must handle as stated:
// bounded waits that run out, packet kinds without an action, a read that must wait for
// endpoint 8.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "chip_session.h"

namespace firmware_test {
namespace {

using Kind = sim::BusCycleKind;
constexpr std::uint32_t LIMIT = 0x1000;

// Program setup, then page data that cannot drain: the flash stays busy, so the long write
// waits in its first state with the bytes still in endpoint 2.
void startStuckLongWrite(ChipSession& s, unsigned dataBytes) {
  ASSERT_TRUE(s.started());
  ASSERT_TRUE(s.send({0x50, 0x80, 0x00, 0x00, 0x00, 0x00}));
  s.run(sim::microseconds(200));
  s.flash().setStuckBusy(true);
  ASSERT_TRUE(s.sendData(std::vector<std::uint8_t>(dataBytes, 0x3C)));
  s.run(sim::microseconds(200));
  ASSERT_EQ(s.longWriteArmed(), 1);
}

TEST(DrainWait, EndpointThatNeverEmptiesCostsTheBudgetThenTheCommandGoesFirst) {
  ChipSession s;
  startStuckLongWrite(s, 528);
  ASSERT_TRUE(s.send({0x52, 0x10, 0x00, 0x00}));
  // the drain wait gives up after exactly LIMIT + 1 unsuccessful polls; the command's own
  // single write then waits for the flash, holding the pass (and the count) there
  s.run(sim::milliseconds(200));
  EXPECT_EQ(s.waitPolls(), LIMIT + 1);
  EXPECT_EQ(s.longWriteArmed(), 0);

  s.flash().setStuckBusy(false);
  s.run(sim::milliseconds(1));
  const std::vector<BusEvent> bus = s.bus();
  ASSERT_EQ(bus.size(), 5u + 1u + 528u);
  EXPECT_EQ(bus[5], (BusEvent{Kind::Command, 0x10})) << "the command before the page bytes";
  for (std::size_t i = 6; i < bus.size(); ++i)
    ASSERT_EQ(bus[i], (BusEvent{Kind::DataWrite, 0x3C})) << "byte " << i - 6;
  EXPECT_EQ(s.longWriteArmed(), 1) << "the same pass's arm step restarts the long write";
}

struct KindCase {
  std::uint8_t kind;
  std::uint16_t polls;  // the most that one pass counts for this packet
};
class UnlistedKinds : public ::testing::TestWithParam<KindCase> {};

TEST_P(UnlistedKinds, AreConsumedWithoutBusCyclesAfterTheirWait) {
  ChipSession s;
  startStuckLongWrite(s, 16);
  const std::size_t cyclesBefore = s.bus().size();
  ASSERT_TRUE(s.send({GetParam().kind, 0x70, 0x70, 0x70}));
  EXPECT_EQ(s.highestWaitPolls(sim::milliseconds(120)), GetParam().polls);
  EXPECT_EQ(s.bus().size(), cyclesBefore) << "no bus cycles";
  EXPECT_EQ(s.readCount(), 0);

  // the packet's buffer was released: the next packet runs once the flash is ready again
  s.flash().setStuckBusy(false);
  ASSERT_TRUE(s.send({0x52, 0x70, 0x00, 0x00}));
  s.run(sim::milliseconds(1));
  ASSERT_FALSE(s.bus().empty());
  EXPECT_EQ(s.bus().back(), (BusEvent{Kind::Command, 0x70}));
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnlistedKinds,
                         ::testing::Values(KindCase{0x13, 0}, KindCase{0x4F, 0},
                                           KindCase{0x54, LIMIT + 1}, KindCase{0xFF, LIMIT + 1}),
                         [](const ::testing::TestParamInfo<KindCase>& info) {
                           return "Kind" + std::to_string(info.param.kind);
                         });

TEST(PollBudget, LaterWaitsOfThePassGiveUpAtTheirFirstPoll) {
  ChipSession s;
  ASSERT_TRUE(s.started());
  // endpoint 8 filled and left uncollected, so the next read stays pending
  ASSERT_TRUE(s.send({0x50, 0x00, 0x00, 0x00, 0x00, 0x00}));
  ASSERT_TRUE(s.send({0x12, 0x04, 0x00}));
  s.run(sim::milliseconds(1));
  startStuckLongWrite(s, 16);
  ASSERT_TRUE(s.send({0x12, 0x00, 0x04}));
  s.run(sim::microseconds(200));
  ASSERT_EQ(s.readCount(), 4) << "pending while endpoint 8 is full";

  // kind 0x54: the drain wait spends the budget; the host empties endpoint 8 meanwhile; the
  // arm step restarts the stuck long write, and the read-start wait then finds the GPIF busy
  ASSERT_TRUE(s.send({0x54, 0x00, 0x00, 0x00}));
  s.run(sim::milliseconds(1));
  ASSERT_GT(s.waitPolls(), 0) << "inside the drain wait";
  EXPECT_EQ(s.receive(1024).size(), 1024u);
  s.run(sim::milliseconds(200));
  EXPECT_EQ(s.waitPolls(), LIMIT + 2) << "one poll for the read-start wait, then it gave up";
  EXPECT_EQ(s.readCount(), 4) << "the read waits for the flash inside its transfer";

  s.flash().setStuckBusy(false);
  EXPECT_EQ(s.receive(4).size(), 4u);
  s.run(sim::microseconds(10));  // the count is cleared just after the commit
  EXPECT_EQ(s.readCount(), 0);
  EXPECT_EQ(s.longWriteArmed(), 0);
}

TEST(ReadStep, WaitsWhileEndpoint8IsFullAndPacketsGoOnMeanwhile) {
  ChipSession s;
  ASSERT_TRUE(s.started());
  for (std::uint32_t i = 0; i < sim::NandFlash::IMAGE_SIZE && i < 8 * 528; ++i)
    s.flash().image()[i] = static_cast<std::uint8_t>(i * 7 + 1);
  ASSERT_TRUE(s.send({0x50, 0x00, 0x00, 0x00, 0x00, 0x00}));
  ASSERT_TRUE(s.send({0x12, 0x04, 0x00}));  // 1024 bytes fill both endpoint 8 buffers
  s.run(sim::milliseconds(1));
  ASSERT_TRUE(s.send({0x50, 0x00, 0x00, 0x05, 0x00, 0x00}));  // page 5
  ASSERT_TRUE(s.send({0x12, 0x02, 0x10}));
  s.run(sim::milliseconds(2));
  EXPECT_EQ(s.readCount(), 0x210) << "kept while endpoint 8 is full";
  ASSERT_GE(s.bus().size(), 6u);
  EXPECT_EQ(s.bus().back(), (BusEvent{Kind::Address, 0x00})) << "the page-5 setup ran meanwhile";

  const std::vector<std::uint8_t> first = s.receive(1024);
  const std::vector<std::uint8_t> second = s.receive(528);
  ASSERT_EQ(first.size(), 1024u);
  ASSERT_EQ(second.size(), 528u);
  EXPECT_TRUE(std::equal(first.begin(), first.end(), s.flash().image()));
  EXPECT_TRUE(std::equal(second.begin(), second.end(), s.flash().image() + 5 * 528));
  // the host has its bytes as soon as the short packet is committed; the engine clears the
  // count a few instructions later
  s.run(sim::microseconds(10));
  EXPECT_EQ(s.readCount(), 0);
}

TEST(StartUp, PacketsSentTheMomentTheInterfaceIsSelectedAreAllExecuted) {
  // The host may send while the firmware is still configuring: its packets wait (NAKed)
  // until endpoint 4 is armed, and arming must not skip a packet that has just landed.
  ChipSession s(0);
  ASSERT_TRUE(s.started());
  ASSERT_TRUE(s.send({0x53, 0x90, 0x00, 0x00}));
  ASSERT_TRUE(s.send({0x12, 0x00, 0x04}));
  const std::vector<std::uint8_t> id = s.receive(4);
  ASSERT_EQ(id.size(), 4u);
  EXPECT_EQ(id[1], 0x76);
  const std::vector<BusEvent> bus = s.bus();
  ASSERT_GE(bus.size(), 2u);
  EXPECT_EQ(bus[0], (BusEvent{Kind::Command, 0x90}));
  EXPECT_EQ(bus[1], (BusEvent{Kind::Address, 0x00}));
}

}  // namespace
}  // namespace firmware_test
