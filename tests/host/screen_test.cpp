#include "host/screen.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/host/tool_fixture.h"

namespace {

const std::string ZERO_CELLS = "  00 00 00 00-00 00 00 00-00 00 00 00-00 00 00 00  ................";

TEST(Screen, ExampleRowByRow) {
  ToolFixture f;
  const std::uint8_t start[16] = {0x4E, 0x41, 0x4E, 0x44, 0x00, 0xFF, 0x80, 0x20,
                                  0x41, 0x42, 0x43, 0x0D, 0x0A, 0x2E, 0x46, 0x46};
  std::memcpy(f.buffer(), start, sizeof start);
  f.state.flashOffset = 0x4200;
  f.state.cursorDigit = 2;
  f.state.imageFileName = "rom";
  drawScreen(f.state);

  const std::vector<std::string> rows = f.console.screenLines();
  ASSERT_EQ(rows.size(), 38u);
  EXPECT_EQ(rows[0], "0000:  4E 41 4E 44-00 FF 80 20-41 42 43 0D-0A 2E 46 46  NAND... ABC...FF");
  for (int row = 1; row <= 32; ++row) {
    char offset[8];
    std::snprintf(offset, sizeof offset, "%04X:", row * 16);
    EXPECT_EQ(rows[row], offset + ZERO_CELLS) << row;
  }
  EXPECT_EQ(rows[33], "F1 for help");
  EXPECT_EQ(rows[34], "");
  EXPECT_EQ(rows[35], "offset:00004200");
  EXPECT_EQ(rows[36], "            *");
  EXPECT_EQ(rows[37], "filename:rom");
  EXPECT_EQ(f.console.clears, 1);
  EXPECT_EQ(f.console.output().front(), '\f');  // the clear comes before everything
}

TEST(Screen, FirstScreenAfterStart) {
  ToolFixture f;
  drawScreen(f.state);
  const std::vector<std::string> rows = f.console.screenLines();
  ASSERT_EQ(rows.size(), 38u);
  EXPECT_EQ(rows[0], "0000:" + ZERO_CELLS);
  EXPECT_EQ(rows[32], "0200:" + ZERO_CELLS);
  EXPECT_EQ(rows[35], "offset:00000000");
  EXPECT_EQ(rows[36].find('*'), 13u);
  EXPECT_EQ(rows[37], "filename:(null)");
}

TEST(Screen, MarkerStandsUnderTheDigitUpAndDownChange) {
  for (int digit = 0; digit < 8; ++digit) {
    ToolFixture f;
    f.state.cursorDigit = digit;
    f.state.flashOffset = 0x76543210;  // digit d of this offset is the character d
    drawScreen(f.state);
    const std::vector<std::string> rows = f.console.screenLines();
    ASSERT_EQ(rows.size(), 38u);
    const std::size_t column = rows[36].find('*');
    EXPECT_EQ(rows[36], std::string(column, ' ') + "*") << digit;
    ASSERT_LT(column, rows[35].size());
    EXPECT_EQ(rows[35][column], char('0' + digit)) << digit;
  }
}

TEST(Screen, CharacterColumnShows7FButNot80AndAbove) {
  ToolFixture f;
  const std::uint8_t line[16] = {0x7F, 0x80, 0xFF, 0x1F, 0x20, 0x7E, 0x41, 0x00,
                                 0x9F, 0xC3, 0x2E, 0x61, 0x7F, 0x10, 0x20, 0xA0};
  std::memcpy(f.buffer() + 512, line, sizeof line);
  f.state.imageFileName = "";
  drawScreen(f.state);
  const std::vector<std::string> rows = f.console.screenLines();
  ASSERT_EQ(rows.size(), 38u);
  EXPECT_EQ(rows[32], "0200:  7F 80 FF 1F-20 7E 41 00-9F C3 2E 61-7F 10 20 A0  \x7F... ~A....a\x7F. .");
  EXPECT_EQ(rows[37], "filename:");
}

TEST(PrintHexView, EmptyPrintsNothingAndShortLastLineHasNoCharacterColumn) {
  ToolFixture f;
  const std::uint8_t bytes[18] = {0x41};
  EXPECT_EQ(printHexView(f.state.console, 0, bytes), -1);
  EXPECT_EQ(f.console.output(), "");
  EXPECT_EQ(printHexView(f.state.console, 18, bytes), 0);
  EXPECT_EQ(f.console.output(),
            "0000:  41 00 00 00-00 00 00 00-00 00 00 00-00 00 00 00  A...............\n"
            "0010:  00 00");
}

}  // namespace
