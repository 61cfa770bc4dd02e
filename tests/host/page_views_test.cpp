#include <gtest/gtest.h>

#include <cstring>

#include "host/key_input.h"
#include "host/workflows/workflows.h"
#include "tests/host/tool_fixture.h"

namespace {

struct PageCase {
  std::uint32_t offset;
  Bytes setup;
  std::uint64_t rawPosition;  // where the page's bytes start in the device
};

class ViewPage : public testing::TestWithParam<PageCase> {};

TEST_P(ViewPage, ReadSetupThen528BytesIntoTheView) {
  ToolFixture f;
  f.state.flashOffset = GetParam().offset;
  viewPage(f.state);
  const auto& calls = f.recorder->calls;
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].bytes, GetParam().setup);
  EXPECT_EQ(calls[1].bytes, (Bytes{0x12, 0x02, 0x10}));
  EXPECT_EQ(calls[2].count, 528u);
  for (std::uint32_t i = 0; i < 528; ++i) {
    ASSERT_EQ(f.buffer()[i], rawFlashByte(GetParam().rawPosition + i)) << i;
  }
  EXPECT_EQ(f.buffer()[528], 0);  // the rest of the buffer is untouched
  EXPECT_EQ(f.console.output(), "BUSY\n");
}

INSTANTIATE_TEST_SUITE_P(Offsets, ViewPage,
                         testing::Values(PageCase{0, {0x50, 0x00, 0x00, 0x00, 0x00, 0x00}, 0},
                                         PageCase{0x3A5, {0x50, 0x01, 0xA5, 0x01, 0x00, 0x00},
                                                  528 + 256 + 0xA5},
                                         PageCase{0x3FFFE00, {0x50, 0x00, 0x00, 0xFF, 0xFF, 0x01},
                                                  131071ull * 528}));

TEST(ViewPage, OffsetsBeyondTheFlashAreRefusedWithNothingSent) {
  for (std::uint32_t offset : {0x04000000u, 0x04000200u, 0xFFFFFFFFu}) {
    ToolFixture f;
    f.state.flashOffset = offset;
    f.console.keys = {'x', 'y'};
    viewPage(f.state);
    EXPECT_TRUE(f.recorder->calls.empty()) << offset;
    EXPECT_NE(f.console.output().find("beyond the end of the flash"), std::string::npos);
    EXPECT_EQ(f.console.keys.size(), 1u) << "one key wait keeps the message visible";
  }
}

TEST(SmallReads, StatusAndIdClearOnlyTheFirst256Bytes) {
  struct Case {
    void (*workflow)(ToolState&);
    std::vector<Bytes> packets;
    Bytes shown;
    const char* message;
  };
  const Case cases[] = {
      {viewStatus, {{0x52, 0xFF, 0, 0}, {0x52, 0x70, 0, 0}, {0x12, 0x00, 0x01}}, {0xC0}, "BUSY reading status\n"},
      {viewId, {{0x53, 0x90, 0x00, 0}, {0x12, 0x00, 0x04}}, {0xEC, 0x76, 0xA5, 0xC0}, "BUSY reading ID\n"},
  };
  for (const Case& c : cases) {
    ToolFixture f;
    f.recorder->statusBytes = {0xC0};
    std::memset(f.buffer(), 0xAA, 528);
    c.workflow(f.state);
    std::vector<Bytes> sent;
    for (const DriverCall& p : f.recorder->commandPackets()) sent.push_back(p.bytes);
    EXPECT_EQ(sent, c.packets);
    EXPECT_EQ(f.recorder->calls.back().kind, CallKind::BulkRead);
    EXPECT_EQ(f.recorder->calls.back().count, c.shown.size());
    EXPECT_EQ(Bytes(f.buffer(), f.buffer() + c.shown.size()), c.shown);
    for (std::size_t i = c.shown.size(); i < 256; ++i) ASSERT_EQ(f.buffer()[i], 0) << i;
    for (std::size_t i = 256; i < 528; ++i) ASSERT_EQ(f.buffer()[i], 0xAA) << i;
    EXPECT_EQ(f.console.output(), c.message);
  }
}

TEST(SmallReads, FailedStepStopsAndSaysWhichWithTheDriversReason) {
  ToolFixture f;
  f.recorder->fails = [](const DriverCall& c) { return c.kind == CallKind::BulkRead; };
  f.console.keys = {'x'};
  viewStatus(f.state);
  EXPECT_EQ(f.console.output(),
            "BUSY reading status\nStatus read failed: stalled on endpoint 8\nPress Key to continue\n");
  EXPECT_TRUE(f.console.keys.empty());
}

}  // namespace
