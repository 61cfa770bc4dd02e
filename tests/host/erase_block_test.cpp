#include <gtest/gtest.h>

#include "host/workflows/workflows.h"
#include "tests/host/tool_fixture.h"

namespace {

const std::string PROMPT =
    "\nSure you want to Erase this block?:00004000\nPress ESC to abort, any other to continue\n";

struct EraseCase {
  const char* name;
  std::deque<int> keys;
  std::uint8_t status;
  bool sends;
  std::string output;  // after the prompt
  std::size_t keysLeft;
};

class EraseBlock : public testing::TestWithParam<EraseCase> {};

TEST_P(EraseBlock, ConfirmEraseWaitStatus) {
  const EraseCase& c = GetParam();
  ToolFixture f;
  f.state.flashOffset = 0x4210;  // inside the block at 0x4000
  f.console.keys = c.keys;
  f.recorder->statusBytes = {c.status};
  eraseBlock(f.state);
  EXPECT_EQ(f.console.output(), PROMPT + c.output);
  EXPECT_EQ(f.console.keys.size(), c.keysLeft);
  EXPECT_EQ(f.state.flashOffset, 0x4210u);
  if (!c.sends) {
    EXPECT_TRUE(f.recorder->calls.empty());
    return;
  }
  const auto& calls = f.recorder->calls;
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[0].bytes, (Bytes{0x51, 0x60, 0x20, 0x00, 0x00, 0xD0}));
  EXPECT_EQ(calls[1].kind, CallKind::Sleep);
  EXPECT_EQ(calls[1].pipe, 5u);
  EXPECT_EQ(calls[2].bytes, (Bytes{0x52, 0x70, 0x00, 0x00}));
  EXPECT_EQ(calls[3].bytes, (Bytes{0x12, 0x00, 0x04}));
  EXPECT_EQ(calls[4].count, 4u);
}

const std::string ERASING = "Erasing block:00004000\n";
const std::string DONE = "Press Key to continue\n";

INSTANTIATE_TEST_SUITE_P(
    Answers, EraseBlock,
    testing::Values(EraseCase{"EscAborts", {27, 'n'}, 0, false, "", 1},
                    EraseCase{"UnreadableConsoleAborts", {}, 0, false, "", 0},
                    EraseCase{"Succeeds", {'y', 'k', 'n'}, 0x00, true, ERASING + "Erase succesfull\n" + DONE, 1},
                    EraseCase{"StatusBit0Fails", {'y', 'k'}, 0xC1, true, ERASING + "Erase failed\n" + DONE, 0},
                    EraseCase{"OtherStatusBitsIgnored", {'y', 'k'}, 0xFE, true, ERASING + "Erase succesfull\n" + DONE, 0},
                    // F1 confirms: the 0 prefix is skipped and 59 is not ESC.
                    EraseCase{"FunctionKeyConfirms", {0, 59, 'k', 'n'}, 0, true, ERASING + "Erase succesfull\n" + DONE, 1},
                    // A cursor-block key confirms with its prefix; its scan code is the wait's key.
                    EraseCase{"CursorBlockKeyConfirms", {224, 72, 'n'}, 0, true, ERASING + "Erase succesfull\n" + DONE, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EraseBlockFailures, NoSuccessMessageAfterAStatusReadThatDidNotHappen) {
  struct Case {
    CallKind failing;
    std::uint32_t pipe;
    std::string message;
  };
  const Case cases[] = {
      {CallKind::BulkRead, 5, "Status read failed: stalled on endpoint 8\n"},
      {CallKind::BulkWrite, 3, "Erase command for block 00004000 failed: stalled on endpoint 8\n"},
  };
  for (const Case& c : cases) {
    ToolFixture f;
    f.state.flashOffset = 0x4000;
    f.console.keys = {'y', 'k'};
    f.recorder->fails = [&](const DriverCall& call) { return call.kind == c.failing && call.pipe == c.pipe; };
    eraseBlock(f.state);
    EXPECT_EQ(f.console.output(), PROMPT + ERASING + c.message + DONE);
    EXPECT_TRUE(f.console.keys.empty());
  }
}

TEST(EraseBlockFailures, OffsetBeyondTheFlashIsRefusedBeforeAsking) {
  ToolFixture f;
  f.state.flashOffset = 0x04000000;
  f.console.keys = {'y', 'k'};
  eraseBlock(f.state);
  EXPECT_TRUE(f.recorder->calls.empty());
  EXPECT_EQ(f.console.output().find("Sure"), std::string::npos);
  EXPECT_NE(f.console.output().find("Offset 04000000 is beyond the end of the flash"), std::string::npos);
  EXPECT_EQ(f.console.keys.size(), 1u);
}

}  // namespace
