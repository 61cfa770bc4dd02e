// Start-up, the first screen, navigation, and the end by ESC.
#include <csignal>
#include <cstdio>

#include "tests/e2e/tool_fixture.h"

namespace {

using StartUp = ToolFixture;

std::string zeroViewAndStatus(const std::string& offsetLine, int cursorDigit, const std::string& file) {
  std::string screen;
  for (unsigned offset = 0; offset <= 0x200; offset += 16) {
    char line[80];
    std::snprintf(line, sizeof line, "%04X:  00 00 00 00-00 00 00 00-00 00 00 00-00 00 00 00  ................\n", offset);
    screen += line;
  }
  screen += "F1 for help\n\n" + offsetLine + "\n" + std::string(14 - cursorDigit, ' ') + "*\n" +
            "filename:" + file + "\n";
  return screen;
}

TEST_F(StartUp, ShowsTheFirstScreenAndEndsOnEsc) {
  start();
  const std::string& output = tool().output();
  const std::size_t firstClear = output.find("\x1b[H\x1b[2J");
  EXPECT_EQ(output.substr(0, firstClear),
            "looking for device\r\nfound device:0\r\nallocating 1MB buffer\r\n");
  EXPECT_EQ(screen().text(), zeroViewAndStatus("offset:00000000", 1, "(null)"));

  ASSERT_TRUE(tool().press("\x1b"));
  EXPECT_EQ(tool().waitExit(), 0);
  EXPECT_TRUE(screen().blank()) << screen().text();
}

TEST_F(StartUp, GivesTheTerminalItsModesBackWhenEndedDuringAKeyRead) {
  start();
  ASSERT_TRUE(tool().waitFor([&](const ScreenModel&) { return tool().inKeyRead(); }));
  tool().sendSignal(SIGTERM);
  EXPECT_EQ(tool().waitExit(), -2000);  // ended by the signal itself, as without the reader
  EXPECT_FALSE(tool().inKeyRead());
}

TEST_F(StartUp, MovesOffsetAndMarkerWithArrowAndLetterKeys) {
  start({"some-file"});
  pressForScreen("\x1b[A", 2);  // up: the prefix and the scan code each take one pass
  EXPECT_EQ(screen().row(35), "offset:00000010");
  pressForScreen("\x1b[D", 2);  // left: marker to digit 2
  EXPECT_EQ(screen().row(36), std::string(12, ' ') + "*");
  pressForScreen("h");  // like up, now by 0x100
  EXPECT_EQ(screen().row(35), "offset:00000110");
  pressForScreen("\x1bOC", 2);  // right in the application form, back to digit 1
  pressForScreen("\x1bOB", 2);  // down
  EXPECT_EQ(screen().row(35), "offset:00000100");
  pressForScreen("m");  // right: digit 0
  pressForScreen("m");  // right from digit 0 wraps to digit 7
  EXPECT_EQ(screen().row(36), std::string(7, ' ') + "*");
  pressForScreen("p");  // down by 0x10000000 from 0x100 wraps below zero
  EXPECT_EQ(screen().row(35), "offset:F0000100");
  pressForScreen(" ");
  EXPECT_EQ(screen().text(), zeroViewAndStatus("offset:00000000", 7, "some-file"));
}

TEST_F(StartUp, DumpWithoutFileNameFailsAndResetsTheOffset) {
  start();
  pressForScreen("\x1b[A", 2);
  ASSERT_EQ(screen().row(35), "offset:00000010");
  const std::size_t mark = tool().output().size();
  pressForScreen("d");
  EXPECT_NE(outputUntilClear(mark).find("fopen failed\r\n"), std::string::npos);
  EXPECT_EQ(screen().row(35), "offset:00000000");
}

TEST_F(StartUp, HelpScreenWaitsForOneKey) {
  start();
  pressForText("\x1bOP", "Press the ANY key");  // F1
  EXPECT_EQ(screen().row(0), "F5=Open file requester to specify file for read/write");
  EXPECT_EQ(screen().row(11), "Press the ANY key");
  pressForScreen("x");
  EXPECT_EQ(screen().row(33), "F1 for help");
}

}  // namespace
