// Without a bridge: the usage on standard error and status 2.
#include <gtest/gtest.h>

#include "tests/e2e/tool_fixture.h"

namespace {

TEST(NoBridge, PrintsUsageAndExitsWithTwo) {
  // No NANDBRIDGE_SIM: the real driver is asked, and no FX2 is attached here.
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{}, std::vector<std::string>{"rom.bin"}}) {
    const CapturedRun run = runCaptured(toolLaunch("", arguments), std::chrono::seconds(30));
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_EQ(run.out.rfind("looking for device\n", 0), 0u) << run.out;
    EXPECT_EQ(run.out.find("found device"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("usage"), std::string::npos) << run.err;
  }
}

}  // namespace
