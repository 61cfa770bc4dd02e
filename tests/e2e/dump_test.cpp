// The two dumps, compared byte for byte with the simulated flash.
#include <algorithm>

#include "tests/e2e/tool_fixture.h"

namespace {

using Dumps = ToolFixture;

constexpr auto kDumpTimeout = std::chrono::minutes(10);

TEST_F(Dumps, WholeDeviceIsTheRawImage) {
  const std::string dump = folder_.file("device.bin");
  start({dump});
  const std::size_t mark = tool().output().size();
  pressForScreen("D", 1, kDumpTimeout);

  EXPECT_EQ(firstDifference(readFile(dump), deviceImage()), "");
  const std::string progress = outputUntilClear(mark);
  EXPECT_EQ(std::count(progress.begin(), progress.end(), '.'), 512) << progress;
  EXPECT_EQ(screen().row(35), "offset:04000000");
  // The view holds the start of the last block read: its first page and the spare bytes.
  const std::uint8_t* lastBlock = deviceImage().data() + kDeviceRaw - kBlockRaw;
  EXPECT_EQ(screen().row(0), hexViewLine(0x000, lastBlock));
  EXPECT_EQ(screen().row(32), hexViewLine(0x200, lastBlock + 0x200));
}

TEST_F(Dumps, MainAreaLeavesOutTheSpareBytesAndReplacesTheFile) {
  const std::string dump = folder_.file("main.bin");
  ASSERT_TRUE(writeFile(dump, deviceImage()));  // longer than a main-area dump: must be cut
  start({dump});
  const std::size_t mark = tool().output().size();
  pressForScreen("l", 1, kDumpTimeout);

  EXPECT_EQ(firstDifference(readFile(dump), mainAreaOf(deviceImage())), "");
  const std::string progress = outputUntilClear(mark);
  EXPECT_EQ(std::count(progress.begin(), progress.end(), '.'), 512) << progress;
  EXPECT_EQ(screen().row(35), "offset:04000000");
  const std::uint8_t* lastPage = deviceImage().data() + kDeviceRaw - kPageRaw;
  EXPECT_EQ(screen().row(0), hexViewLine(0x000, lastPage));
  EXPECT_EQ(screen().row(31), hexViewLine(0x1F0, lastPage + 0x1F0));
}

}  // namespace
