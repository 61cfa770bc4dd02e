#include "sim/reference/reference_bridge.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>
#include <vector>

#include "sim/reference/bridge_timing.h"

namespace sim {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::uint32_t RAW = NandFlash::PAGE_RAW_SIZE;

struct Cycle {
  BusCycleKind kind;
  std::uint8_t value;
  friend bool operator==(const Cycle&, const Cycle&) = default;
};
Cycle C(std::uint8_t v) { return {BusCycleKind::Command, v}; }
Cycle A(std::uint8_t v) { return {BusCycleKind::Address, v}; }

class ReferenceBridgeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    flash.useMemoryImage();
    std::uint8_t* image = flash.image();
    for (std::uint32_t i = 0; i < 64 * RAW; ++i) image[i] = std::uint8_t(i * 7 + i / 251);
  }

  // What the host does at start: hold the 8051, release it, select the bulk interface.
  void startBridge() {
    ASSERT_TRUE(cpucs(1));
    ASSERT_TRUE(cpucs(0));
    ASSERT_TRUE(bridge.setInterface(0, 1)) << bridge.lastError();
    flash.enableTrace(true);
  }
  bool cpucs(std::uint8_t value) { return bridge.controlOut(0xA0, 0xE600, 0, &value, 1); }
  bool send(const Bytes& packet) { return bridge.bulkOut(0x04, packet.data(), std::uint32_t(packet.size())); }
  Bytes read(std::uint32_t count, std::uint32_t ask = 0) {
    EXPECT_TRUE(send({0x12, std::uint8_t(count >> 8), std::uint8_t(count)}));
    Bytes out(ask ? ask : count);
    std::uint32_t got = 0;
    EXPECT_TRUE(bridge.bulkIn(0x88, out.data(), std::uint32_t(out.size()), got)) << bridge.lastError();
    out.resize(got);
    return out;
  }
  void readSetup(std::uint32_t page, std::uint8_t command = 0x00, std::uint8_t column = 0) {
    ASSERT_TRUE(send({0x50, command, column, std::uint8_t(page), std::uint8_t(page >> 8),
                      std::uint8_t(page >> 16)}));
  }
  Bytes image(std::uint32_t page, std::uint32_t count) {
    return {flash.image() + page * RAW, flash.image() + page * RAW + count};
  }
  std::vector<Cycle> cycles(bool withData = false) const {
    std::vector<Cycle> out;
    for (const auto& c : flash.trace()) {
      if (withData || c.kind == BusCycleKind::Command || c.kind == BusCycleKind::Address) {
        out.push_back({c.kind, c.value});
      }
    }
    return out;
  }

  NandFlash flash;
  ReferenceBridge bridge{flash};
};

struct PacketCase {
  const char* name;
  Bytes packet;
  std::vector<Cycle> cycles;
};

TEST_F(ReferenceBridgeTest, EachPacketKindPutsItsCyclesOnTheBus) {
  startBridge();
  const PacketCase cases[] = {
      {"command and four addresses", {0x50, 0x00, 0x11, 0x22, 0x33, 0x01},
       {C(0x00), A(0x11), A(0x22), A(0x33), A(0x01)}},
      {"erase form", {0x51, 0x60, 0x20, 0x00, 0x00, 0xD0}, {C(0x60), A(0x20), A(0x00), A(0x00), C(0xD0)}},
      {"command only, fillers ignored", {0x52, 0x70, 0xAA, 0xBB}, {C(0x70)}},
      {"command and one address", {0x53, 0x90, 0x00, 0xEE}, {C(0x90), A(0x00)}},
      {"extra bytes change nothing", {0x52, 0xFF, 0x00, 0x00, 0x50, 0x50, 0x50, 0x50}, {C(0xFF)}},
      {"read of count 0", {0x12, 0x00, 0x00}, {}},
      {"kind 0x13: nothing", {0x13, 0x70, 0x00, 0x00}, {}},
      {"kind 0x54: drain only", {0x54, 0x70, 0x00, 0x00, 0x00, 0x00}, {}},
      {"kind 0x00: nothing", {0x00, 0x70, 0x00, 0x00}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    flash.clearTrace();
    EXPECT_TRUE(send(c.packet)) << bridge.lastError();
    EXPECT_EQ(cycles(true), c.cycles);
  }
  EXPECT_EQ(flash.busyViolations(), 0u);
}

TEST_F(ReferenceBridgeTest, ReadOfAPageComesAsAFullAndAShortPacket) {
  startBridge();
  readSetup(3);
  ASSERT_TRUE(send({0x12, 0x02, 0x10}));
  Bytes first(512), rest(100);
  std::uint32_t got = 0;
  ASSERT_TRUE(bridge.bulkIn(0x88, first.data(), 512, got));
  EXPECT_EQ(got, 512u);
  // A longer read ends on the short packet.
  ASSERT_TRUE(bridge.bulkIn(0x88, rest.data(), 100, got));
  EXPECT_EQ(got, 16u);
  first.insert(first.end(), rest.begin(), rest.begin() + 16);
  EXPECT_EQ(first, image(3, RAW));
}

TEST_F(ReferenceBridgeTest, BlockReadIsThirtyTwoPagesAndTheNextReadGetsOnlyItsOwnBytes) {
  startBridge();
  readSetup(32);
  const SimTime start = bridge.now();
  EXPECT_EQ(read(32 * RAW), image(32, 32 * RAW));
  // Every page load and every read cycle took its time on the simulated clock.
  EXPECT_GE(bridge.now() - start,
            32 * NandFlash::READ_BUSY + 32 * RAW * bridge_timing::FIFO_READ_CYCLE);
  readSetup(1);
  EXPECT_EQ(read(RAW), image(1, RAW));
  EXPECT_EQ(flash.busyViolations(), 0u);
}

TEST_F(ReferenceBridgeTest, StatusAndIdReads) {
  startBridge();
  ASSERT_TRUE(send({0x52, 0x70, 0, 0}));
  EXPECT_EQ(read(4), (Bytes{0xC0, 0xC0, 0xC0, 0xC0}));
  ASSERT_TRUE(send({0x53, 0x90, 0x00, 0}));
  EXPECT_EQ(read(4), (Bytes{0xEC, 0x76, 0xA5, 0xC0}));
}

TEST_F(ReferenceBridgeTest, PageDataReachesTheBusBeforeTheProgramConfirm) {
  startBridge();
  Bytes page(RAW);
  std::iota(page.begin(), page.end(), std::uint8_t(0x40));
  ASSERT_TRUE(send({0x50, 0x80, 0x00, 0x40, 0x00, 0x00}));
  ASSERT_TRUE(bridge.bulkOut(0x02, page.data(), RAW)) << bridge.lastError();
  ASSERT_TRUE(send({0x52, 0x10, 0, 0}));
  bridge.advanceHostTime(milliseconds(2));
  ASSERT_TRUE(send({0x52, 0x70, 0, 0}));
  EXPECT_EQ(read(4), (Bytes{0xC0, 0xC0, 0xC0, 0xC0}));

  const auto& trace = flash.trace();
  ASSERT_EQ(trace.size(), 5 + RAW + 1 + 1 + 4);
  Bytes written;
  for (std::size_t i = 5; i < 5 + RAW; ++i) {
    ASSERT_EQ(trace[i].kind, BusCycleKind::DataWrite);
    written.push_back(trace[i].value);
  }
  EXPECT_EQ(written, page);
  EXPECT_EQ(trace[5 + RAW].kind, BusCycleKind::Command);
  EXPECT_EQ(trace[5 + RAW].value, 0x10);
  EXPECT_GT(trace[5 + RAW].time, trace[4 + RAW].time);
  // The status command waited out the program on the ready line.
  EXPECT_GE(trace[6 + RAW].time, trace[5 + RAW].time + NandFlash::PROGRAM_BUSY);
  EXPECT_EQ(image(64, RAW), page);  // page 0x40
  EXPECT_EQ(flash.busyViolations(), 0u);
}

TEST_F(ReferenceBridgeTest, ReadingMoreThanAnnouncedFailsInsteadOfHanging) {
  startBridge();
  readSetup(0);
  Bytes buffer(1024);
  std::uint32_t got = 0;
  ASSERT_TRUE(send({0x12, 0x02, 0x00}));
  EXPECT_FALSE(bridge.bulkIn(0x88, buffer.data(), 1024, got));
  EXPECT_EQ(got, 512u);
  EXPECT_EQ(bridge.lastError().rfind("bridge stalled: ", 0), 0u) << bridge.lastError();
  EXPECT_NE(bridge.lastError().find("announced 512"), std::string::npos) << bridge.lastError();
  // Nothing announced at all.
  ReferenceBridge fresh{flash};
  const std::uint8_t release = 0;
  fresh.controlOut(0xA0, 0xE600, 0, &release, 1);
  fresh.setInterface(0, 1);
  EXPECT_FALSE(fresh.bulkIn(0x88, buffer.data(), 4, got));
  EXPECT_EQ(got, 0u);
  EXPECT_NE(fresh.lastError().find("no read"), std::string::npos) << fresh.lastError();
}

TEST_F(ReferenceBridgeTest, AFlashThatNeverGetsReadyStallsTheBridgeWithAMessage) {
  startBridge();
  ASSERT_TRUE(send({0x51, 0x60, 0x20, 0x00, 0x00, 0xD0}));
  flash.setStuckBusy(true);
  bridge.advanceHostTime(milliseconds(5));
  EXPECT_TRUE(send({0x52, 0x70, 0, 0})) << "endpoint 0x04 still takes the packet";
  EXPECT_TRUE(send({0x12, 0x00, 0x04})) << "and the one after it";
  EXPECT_FALSE(send({0x52, 0x70, 0, 0}));
  Bytes status(4);
  std::uint32_t got = 0;
  EXPECT_FALSE(bridge.bulkIn(0x88, status.data(), 4, got));
  EXPECT_NE(bridge.lastError().find("bridge stalled: the flash never gets ready"), std::string::npos)
      << bridge.lastError();
  // A new firmware start brings the bridge back once the flash recovers.
  flash.setStuckBusy(false);
  startBridge();
  ASSERT_TRUE(send({0x52, 0x70, 0, 0}));
  EXPECT_EQ(read(1), Bytes{0xC0});
}

TEST_F(ReferenceBridgeTest, AReadNotTakenWholeLeavesItsRestForTheNextRead) {
  startBridge();
  readSetup(2);
  ASSERT_TRUE(send({0x12, 0x02, 0x10}));
  Bytes first(512);
  std::uint32_t got = 0;
  ASSERT_TRUE(bridge.bulkIn(0x88, first.data(), 512, got));
  // The 16 spare bytes are still in the endpoint: the status read gets them first.
  ASSERT_TRUE(send({0x52, 0x70, 0, 0}));
  EXPECT_EQ(read(4, 16), Bytes(flash.image() + 2 * RAW + 512, flash.image() + 3 * RAW));
  Bytes status(4);
  ASSERT_TRUE(bridge.bulkIn(0x88, status.data(), 4, got));
  EXPECT_EQ(status, (Bytes{0xC0, 0xC0, 0xC0, 0xC0}));
}

TEST_F(ReferenceBridgeTest, PageDataForAFlashThatNeverGetsReadyFillsEndpointTwoThenFails) {
  startBridge();
  ASSERT_TRUE(send({0x50, 0x80, 0x00, 0x00, 0x00, 0x00}));
  flash.setStuckBusy(true);
  const Bytes data(3 * 512, 0x00);
  EXPECT_FALSE(bridge.bulkOut(0x02, data.data(), std::uint32_t(data.size())));
  EXPECT_NE(bridge.lastError().find("endpoint 0x02 full"), std::string::npos) << bridge.lastError();
  EXPECT_EQ(flash.busyViolations(), 0u);
  EXPECT_EQ(cycles(true).size(), 5u) << "no data cycle reached the busy flash";
}

struct RefusalCase {
  const char* name;
  std::function<void(ReferenceBridge&)> setup;
  const char* message;
};

TEST_F(ReferenceBridgeTest, BulkEndpointsAnswerOnlyWithFirmwareRunningUnderAlternateSettingOne) {
  const std::uint8_t hold = 1, release = 0;
  const RefusalCase cases[] = {
      {"nothing done", [](ReferenceBridge&) {}, "alternate setting 1"},
      {"interface only", [](ReferenceBridge& b) { b.setInterface(0, 1); }, "held in reset"},
      {"released, no interface",
       [&](ReferenceBridge& b) {
         b.controlOut(0xA0, 0xE600, 0, &hold, 1);
         b.controlOut(0xA0, 0xE600, 0, &release, 1);
       },
       "alternate setting 1"},
      {"alternate setting 0",
       [&](ReferenceBridge& b) {
         b.controlOut(0xA0, 0xE600, 0, &release, 1);
         b.setInterface(0, 0);
       },
       "alternate setting 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ReferenceBridge fresh{flash};
    c.setup(fresh);
    const Bytes packet{0x52, 0x70, 0, 0};
    std::uint8_t byte = 0;
    std::uint32_t got = 0;
    EXPECT_FALSE(fresh.bulkOut(0x04, packet.data(), 4));
    EXPECT_NE(fresh.lastError().find(c.message), std::string::npos) << fresh.lastError();
    EXPECT_FALSE(fresh.bulkIn(0x88, &byte, 1, got));
  }
}

TEST_F(ReferenceBridgeTest, DownloadLandsInRamOnlyWhileTheCpuIsHeld) {
  Bytes code(4096);
  std::iota(code.begin(), code.end(), std::uint8_t(1));
  ASSERT_TRUE(cpucs(1));
  ASSERT_TRUE(bridge.controlOut(0xA0, 0x1000, 0, code.data(), 4096)) << bridge.lastError();
  EXPECT_TRUE(std::equal(code.begin(), code.end(), bridge.usbCore().ram().begin() + 0x1000));
  EXPECT_FALSE(bridge.controlOut(0xA0, 0x3F00, 0, code.data(), 512)) << "beyond 16 KB";
  EXPECT_FALSE(bridge.controlOut(0x40, 0x0000, 0, code.data(), 1)) << "not a request of this bridge";
  ASSERT_TRUE(cpucs(0));
  EXPECT_FALSE(bridge.controlOut(0xA0, 0x0000, 0, code.data(), 16));
  EXPECT_NE(bridge.lastError().find("while the 8051 runs"), std::string::npos) << bridge.lastError();
  EXPECT_EQ(bridge.usbCore().ram()[0], 0);
}

TEST_F(ReferenceBridgeTest, UnusedEndpointsAreRefused) {
  startBridge();
  std::uint8_t byte = 0;
  std::uint32_t got = 0;
  EXPECT_FALSE(bridge.bulkOut(0x06, &byte, 1));
  EXPECT_NE(bridge.lastError().find("0x06"), std::string::npos);
  EXPECT_FALSE(bridge.bulkIn(0x86, &byte, 1, got));
  EXPECT_NE(bridge.lastError().find("0x86"), std::string::npos);
}

}  // namespace
}  // namespace sim
