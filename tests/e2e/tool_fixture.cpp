#include "tests/e2e/tool_fixture.h"

ToolLaunch toolLaunch(const std::string& image, std::vector<std::string> arguments) {
  ToolLaunch launch;
  launch.tool = NANDBRIDGE_TOOL_PATH;
  launch.arguments = std::move(arguments);
  if (image.empty()) {
    launch.unsetEnvironment.push_back("NANDBRIDGE_SIM");
  } else {
    launch.setEnvironment.push_back("NANDBRIDGE_SIM=" + image);
  }
  return launch;
}

bool commandScreenShown(const ScreenModel& screen) {
  return screen.row(33) == "F1 for help" && screen.row(37).rfind("filename:", 0) == 0 &&
         screen.cursorRow() == 38;
}

const Bytes& ToolFixture::deviceImage() {
  static const Bytes image = patternImage(kBlockCount * kPagesPerBlock, 1);
  return image;
}

void ToolFixture::SetUp() {
  ASSERT_FALSE(folder_.path().empty());
  imagePath_ = folder_.file("flash.bin");
  ASSERT_TRUE(writeFile(imagePath_, deviceImage()));
}

void ToolFixture::start(std::vector<std::string> arguments) {
  tool_ = std::make_unique<ToolSession>(toolLaunch(imagePath_, std::move(arguments)));
  ASSERT_TRUE(tool_->waitFor([](const ScreenModel& s) { return s.clears() >= 1 && commandScreenShown(s); }))
      << "no command screen; the tool wrote:\n" << tool_->output();
}

void ToolFixture::pressForScreen(const std::string& keys, int clears, std::chrono::milliseconds timeout) {
  const int before = screen().clears();
  ASSERT_TRUE(tool_->press(keys)) << "the tool did not wait for a key:\n" << screen().text();
  ASSERT_TRUE(tool_->waitFor(
      [&](const ScreenModel& s) { return s.clears() >= before + clears && commandScreenShown(s); }, timeout))
      << "no command screen after the keys; the screen shows:\n" << screen().text();
}

void ToolFixture::pressForText(const std::string& keys, const std::string& text,
                               std::chrono::milliseconds timeout) {
  ASSERT_TRUE(tool_->press(keys)) << "the tool did not wait for a key:\n" << screen().text();
  ASSERT_TRUE(tool_->waitFor(
      [&](const ScreenModel& s) { return s.text().find(text) != std::string::npos; }, timeout))
      << "\"" << text << "\" not shown; the screen shows:\n" << screen().text();
  ASSERT_TRUE(tool_->settle()) << "no key read after \"" << text << "\"";
}

std::string ToolFixture::outputUntilClear(std::size_t from) const {
  const std::string& all = tool_->output();
  const std::size_t clear = all.find("\x1b[H\x1b[2J", from);
  return all.substr(from, clear == std::string::npos ? std::string::npos : clear - from);
}
