// The file requester on the terminal: "-g" at start, F5 later, Tab completes a path.
#include "tests/e2e/tool_fixture.h"

namespace {

using FileRequester = ToolFixture;

TEST_F(FileRequester, CompletesWithTabAndOffersThePreviousChoice) {
  const std::string chosen = folder_.file("program-source.bin");
  ASSERT_TRUE(writeFile(chosen, patternImage(kPagesPerBlock, 3)));
  tool_ = std::make_unique<ToolSession>(toolLaunch(imagePath(), {"-g"}));
  ASSERT_TRUE(tool().waitFor([](const ScreenModel& s) { return s.text().find("File name:") != std::string::npos; }))
      << tool().output();
  ASSERT_TRUE(tool().press(folder_.file("pro") + "\t"));
  ASSERT_TRUE(tool().waitFor([&](const ScreenModel& s) { return s.text().find(chosen) != std::string::npos; }))
      << screen().text();
  pressForScreen("\r");
  EXPECT_EQ(screen().row(37), "filename:" + chosen);
  // The name is exactly the file's (the screen hides trailing blanks): programming opens it.
  pressForText("z", "Press ESC to abort");
  pressForText("y", "Press Key to continue");
  EXPECT_NE(screen().text().find(std::string(32, '.') + "Press Key to continue"), std::string::npos)
      << screen().text();
  pressForScreen("x");

  // F5: the previous choice is the default; Enter keeps it.
  ASSERT_TRUE(tool().press("\x1b[15~"));
  ASSERT_TRUE(tool().waitFor([&](const ScreenModel& s) {
    return s.text().find("File name: " + chosen) != std::string::npos;
  })) << screen().text();
  pressForScreen("\r");
  EXPECT_EQ(screen().row(37), "filename:" + chosen);

  // '?' also opens it; the line is edited: the default erased, another name typed.
  ASSERT_TRUE(tool().press("?"));
  ASSERT_TRUE(tool().waitFor([&](const ScreenModel& s) {
    return s.text().find("File name: " + chosen) != std::string::npos;
  }));
  pressForScreen(std::string(chosen.size(), '\x7f') + "other.bin\r");
  EXPECT_EQ(screen().row(37), "filename:other.bin");
}

}  // namespace

namespace {

TEST_F(FileRequester, CancelledAtFirstUseLeavesTheNameEmpty) {
  tool_ = std::make_unique<ToolSession>(toolLaunch(imagePath(), {"-g"}));
  ASSERT_TRUE(tool().waitFor([](const ScreenModel& s) { return s.text().find("File name:") != std::string::npos; }))
      << tool().output();
  pressForScreen("\x04");  // Ctrl+D on the empty line: the end of input, the requester cancelled
  EXPECT_EQ(screen().row(37), "filename:");
  const std::size_t mark = tool().output().size();
  pressForScreen("d");
  EXPECT_NE(outputUntilClear(mark).find("fopen failed"), std::string::npos);
}

}  // namespace
