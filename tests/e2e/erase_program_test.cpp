// Erasing and programming one block, checked against the simulated flash afterwards.
#include "tests/e2e/tool_fixture.h"

namespace {

using EraseAndProgram = ToolFixture;

// Offset 0x4200 from the start: marker to digit 3, four times up, back to digit 2, twice up.
void goToOffset4200(ToolFixture& test) {
  test.pressForScreen("k");
  test.pressForScreen("k");
  for (int i = 0; i < 4; ++i) test.pressForScreen("h");
  test.pressForScreen("m");
  for (int i = 0; i < 2; ++i) test.pressForScreen("h");
}

TEST_F(EraseAndProgram, EscAtEitherPromptSendsNothing) {
  start({folder_.file("absent.bin")});
  goToOffset4200(*this);
  ASSERT_EQ(screen().row(35), "offset:00004200");
  for (const char* key : {"e", "z"}) {
    const std::size_t mark = tool().output().size();
    pressForText(key, "Press ESC to abort, any other to continue");
    EXPECT_NE(screen().text().find("this block?:00004000"), std::string::npos) << screen().text();
    pressForScreen("\x1b");
    const std::string shown = outputUntilClear(mark);
    EXPECT_EQ(shown.find("Erasing"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("Programming"), std::string::npos) << shown;
  }
  EXPECT_EQ(firstDifference(flashNow(), deviceImage()), "");
  EXPECT_EQ(screen().row(35), "offset:00004200");
}

TEST_F(EraseAndProgram, ErasesThenProgramsTheBlockFromItsPlaceInTheFile) {
  // A raw-layout source file of two blocks; the second block is what goes to block 1.
  const Bytes source = patternImage(2 * kPagesPerBlock, 2);
  const std::string sourcePath = folder_.file("source.bin");
  ASSERT_TRUE(writeFile(sourcePath, source));
  start({sourcePath});
  goToOffset4200(*this);

  pressForText("E", "Press ESC to abort");
  // A key of the cursor block confirms with its prefix; the "Press Key to continue" wait then
  // takes the held scan code (down), so the loop never sees it and the offset stays.
  const std::size_t mark = tool().output().size();
  pressForScreen("\x1b[B", 1, std::chrono::seconds(60));
  EXPECT_EQ(outputUntilClear(mark),
            "Erasing block:00004000\r\nErase succesfull\r\nPress Key to continue\r\n");
  EXPECT_EQ(screen().row(35), "offset:00004200");

  Bytes expected = deviceImage();
  std::fill(expected.begin() + kBlockRaw, expected.begin() + 2 * kBlockRaw, 0xFF);
  EXPECT_EQ(firstDifference(flashNow(), expected), "");

  pressForText("z", "Press ESC to abort");
  pressForText("y", "Press Key to continue");
  EXPECT_NE(screen().text().find("Programming block:00004000\n" + std::string(32, '.') +
                                 "Press Key to continue"),
            std::string::npos) << screen().text();
  pressForScreen("x");

  std::copy(source.begin() + kBlockRaw, source.end(), expected.begin() + kBlockRaw);
  EXPECT_EQ(firstDifference(flashNow(), expected), "");
}

}  // namespace
