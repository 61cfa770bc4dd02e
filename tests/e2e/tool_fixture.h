#pragma once
// One run of the tool on the simulated bridge over a flash image the test wrote itself. The
// bridge (reference model or chip simulator) comes from NANDBRIDGE_SIM_BRIDGE, set per test
// run by the build.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/e2e/flash_files.h"
#include "tests/e2e/tool_session.h"

class ToolFixture : public testing::Test {
 protected:
  // A whole-device pattern image, made once for all tests of the program.
  static const Bytes& deviceImage();

  void SetUp() override;

 public:

  // Starts the tool on `imagePath()` with `arguments` and waits for the first command screen.
  void start(std::vector<std::string> arguments = {});

  // Presses `keys` at a key read and waits for the command screen drawn after them, `clears`
  // clears later (a two-code key of the cursor block takes two passes).
  void pressForScreen(const std::string& keys, int clears = 1,
                      std::chrono::milliseconds timeout = std::chrono::seconds(60));
  // Presses `keys` and waits for `text` anywhere on the screen.
  void pressForText(const std::string& keys, const std::string& text,
                    std::chrono::milliseconds timeout = std::chrono::seconds(60));

  // The output from `from` up to the next clear of the screen.
  std::string outputUntilClear(std::size_t from) const;

 protected:
  const std::string& imagePath() const { return imagePath_; }
  ToolSession& tool() { return *tool_; }
  const ScreenModel& screen() { return tool_->screen(); }
  // The simulated flash as its image file holds it now.
  Bytes flashNow() const { return readFile(imagePath_); }

  TempFolder folder_;
  std::string imagePath_;
  std::unique_ptr<ToolSession> tool_;
};

// The launch of the built tool, with NANDBRIDGE_SIM naming `image` (or removed when empty).
ToolLaunch toolLaunch(const std::string& image, std::vector<std::string> arguments);

// True on a complete command screen (its last row drawn).
bool commandScreenShown(const ScreenModel& screen);
