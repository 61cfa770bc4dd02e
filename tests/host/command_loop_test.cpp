#include "host/command_loop.h"

#include <gtest/gtest.h>

#include "host/help_text.h"
#include "tests/host/tool_fixture.h"

namespace {

std::size_t countOf(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

struct NavigationCase {
  const char* name;
  std::uint32_t offset;
  int digit;
  std::deque<int> keys;  // ESC is appended
  std::uint32_t expectedOffset;
  int expectedDigit;
};

class Navigation : public testing::TestWithParam<NavigationCase> {};

TEST_P(Navigation, KeysMoveOffsetAndDigit) {
  const NavigationCase& c = GetParam();
  ToolFixture f;
  f.state.flashOffset = c.offset;
  f.state.cursorDigit = c.digit;
  f.console.keys = c.keys;
  f.console.keys.push_back(27);
  EXPECT_EQ(runCommandLoop(f.state), 0);
  EXPECT_EQ(f.state.flashOffset, c.expectedOffset);
  EXPECT_EQ(f.state.cursorDigit, c.expectedDigit);
  EXPECT_TRUE(f.recorder->calls.empty());
  EXPECT_EQ(f.state.transferBuffer, nullptr) << "released at ESC";
  EXPECT_EQ(f.console.output().back(), '\f') << "the screen is left clear";
}

INSTANTIATE_TEST_SUITE_P(
    Keys, Navigation,
    testing::Values(
        NavigationCase{"FirstUpAddsSixteen", 0, 1, {0, 72}, 0x10, 1},
        NavigationCase{"DownWrapsBelowZero", 0, 1, {0, 80}, 0xFFFFFFF0, 1},
        NavigationCase{"UpWrapsAboveTop", 0xFFFFFFFF, 0, {0, 72}, 0, 0},
        NavigationCase{"UpOnTopDigit", 0, 7, {0, 72, 0, 72}, 0x20000000, 7},
        NavigationCase{"LeftFromSevenWrapsToZero", 0, 7, {0, 75}, 0, 0},
        NavigationCase{"RightFromZeroWrapsToSeven", 0, 0, {0, 77}, 0, 7},
        NavigationCase{"CursorBlockArrowTakesTwoPasses", 0, 1, {224, 72}, 0x10, 1},
        NavigationCase{"LetterKeysMoveLikeArrows", 0x1000, 1, {'h', 'k', 'p', 'P', 'm', 'H'}, 0xE20, 1},
        NavigationCase{"UpperCaseLetterKeys", 0, 1, {'K', 'H'}, 0x100, 2},
        NavigationCase{"SecondCodeIsFoldedToo", 0, 1, {0, 'h'}, 0x10, 1},
        NavigationCase{"SpaceResetsOffsetKeepsDigit", 0x12345678, 5, {' '}, 0, 5},
        NavigationCase{"UnmappedCodesChangeNothing", 0x40, 3, {'x', 224, 0, 120, 'Q', 3}, 0x40, 3},
        NavigationCase{"OneUnreadableKeyIsNotTheEnd", 0, 1, {-1, 0, 72}, 0x10, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommandLoop, EveryKeyRedrawsTheScreen) {
  ToolFixture f;
  f.console.keys = {224, 72, 'x', 27};
  runCommandLoop(f.state);
  // One pass each for 224, 72, x and the ESC that ends the loop.
  EXPECT_EQ(countOf(f.console.output(), "F1 for help\n"), 4u);
  EXPECT_EQ(f.console.clears, 5);  // and the clear at the end
}

TEST(CommandLoop, HelpScreenWaitsForOneCode) {
  struct Case {
    std::deque<int> keys;
    std::size_t helps;
  };
  const Case cases[] = {
      {{0, 59, 'x', 27}, 1},
      {{';', 'x', 27}, 1},
      // F1 on the help screen: the wait takes the 0, the loop reads 59 and shows help again.
      {{0, 59, 0, 59, 'x', 27}, 2},
  };
  for (const Case& c : cases) {
    ToolFixture f;
    f.console.keys = c.keys;
    EXPECT_EQ(runCommandLoop(f.state), 0);
    const std::string out = f.console.output();
    EXPECT_EQ(countOf(out, helpText), c.helps);
    EXPECT_EQ(countOf(out, "\f" + std::string(helpText)), c.helps) << "help comes on a clear screen";
  }
}

TEST(CommandLoop, RequesterKeepsItsBufferAndItsChoiceBecomesTheFile) {
  ToolFixture f;
  f.console.requesterAnswers = {"first.bin", "second.bin"};
  f.console.keys = {0, 63, '?', 27};
  runCommandLoop(f.state);
  EXPECT_EQ(f.console.requesterSawOnEntry, (std::vector<std::string>{"", "first.bin"}));
  EXPECT_STREQ(f.state.imageFileName, "second.bin");
  EXPECT_NE(f.console.output().find("filename:second.bin\n"), std::string::npos);
}

TEST(CommandLoop, KeysOneAndTwoBothViewThePage) {
  for (int key : {'1', '2'}) {
    ToolFixture f;
    f.state.flashOffset = 0x4000;
    f.console.keys = {key, 27};
    runCommandLoop(f.state);
    const auto packets = f.recorder->commandPackets();
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[0].bytes, (Bytes{0x50, 0x00, 0x00, 0x20, 0x00, 0x00}));
  }
}

TEST(CommandLoop, WorkflowKeysIncludingFoldedSecondCodes) {
  struct Case {
    std::deque<int> keys;
    std::string expected;
  };
  const Case cases[] = {
      {{'d'}, "fopen failed\n"},
      {{0, 100}, "fopen failed\n"},  // a second code of 100 is 'd'
      {{'L'}, "fopen failed\n"},
      {{'3'}, "BUSY reading status\n"},
      {{'4'}, "BUSY reading ID\n"},
      {{'e', 27}, "Sure you want to Erase this block?:00000000"},
      {{'Z', 27}, "Sure you want to Program this block?:00000000"},
  };
  for (const Case& c : cases) {
    ToolFixture f;
    f.console.keys = c.keys;
    f.console.keys.push_back(27);
    EXPECT_EQ(runCommandLoop(f.state), 0);
    EXPECT_NE(f.console.output().find(c.expected), std::string::npos) << c.expected;
  }
}

TEST(CommandLoop, ConsoleInputGoneEndsTheRun) {
  ToolFixture f;  // no keys: every read returns -1
  EXPECT_EQ(runCommandLoop(f.state), EXIT_CONSOLE_GONE);
  EXPECT_NE(f.console.output().find("console input cannot be read"), std::string::npos);
  EXPECT_LT(f.console.keyReads, 20);
}

}  // namespace
