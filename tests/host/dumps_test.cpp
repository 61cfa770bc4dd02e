#include <gtest/gtest.h>

#include "host/link/nand_geometry.h"
#include "host/workflows/workflows.h"
#include "tests/host/temp_dir.h"
#include "tests/host/tool_fixture.h"

namespace {

struct DumpFixture : ToolFixture {
  DumpFixture() {
    recorder->keepLog = false;
    state.imageFileName = name.c_str();
  }
  TempDir dir;
  std::string name = dir.file("dump.bin");
};

TEST(DumpDevice, WholeDeviceInRawLayoutWithDotsAndFinalOffset) {
  DumpFixture f;
  TempDir::write(f.name, Bytes(100, 0x55));  // replaced without a question
  dumpDevice(f.state);
  const Bytes file = TempDir::read(f.name);
  ASSERT_EQ(file.size(), 69206016u);
  for (std::size_t i = 0; i < file.size(); ++i) {
    if (file[i] != rawFlashByte(i)) FAIL() << "first difference at " << i;
  }
  EXPECT_EQ(f.console.output(), std::string(512, '.'));
  EXPECT_EQ(f.state.flashOffset, 0x04000000u);
  // The view keeps the first 528 bytes of the last block.
  EXPECT_EQ(f.buffer()[0], rawFlashByte(4095ull * BLOCK_RAW_SIZE));
}

TEST(DumpMainArea, DataBytesOfEveryPageWithoutSpare) {
  DumpFixture f;
  dumpMainArea(f.state);
  const Bytes file = TempDir::read(f.name);
  ASSERT_EQ(file.size(), 67108864u);
  for (std::size_t i = 0; i < file.size(); ++i) {
    if (file[i] != rawFlashByte((i / 512) * 528 + i % 512)) FAIL() << "first difference at " << i;
  }
  EXPECT_EQ(f.console.output(), std::string(512, '.'));
  EXPECT_EQ(f.state.flashOffset, 0x04000000u);
}

TEST(Dumps, NoFileNameOrUnopenableFileLeavesOffsetZero) {
  for (const char* name : {static_cast<const char*>(nullptr), "", "/nonexistent-dir/x.bin"}) {
    for (void (*dump)(ToolState&) : {dumpDevice, dumpMainArea}) {
      ToolFixture f;
      f.state.imageFileName = name;
      f.state.flashOffset = 0x1234;
      f.console.keys = {'x'};
      dump(f.state);
      EXPECT_EQ(f.console.output(), "fopen failed\n");
      EXPECT_EQ(f.state.flashOffset, 0u);
      EXPECT_TRUE(f.recorder->calls.empty());
      EXPECT_EQ(f.console.keys.size(), 1u) << "no key wait";
    }
  }
}

// A read that fails at chunk n stops the dump: the file holds the n good chunks only,
// the offset stays at the failed chunk, and the dots printed are those due before it.
struct FailureCase {
  void (*dump)(ToolState&);
  std::uint32_t chunkSize;
  std::uint32_t chunkStep;
  std::uint32_t failingChunk;
  int dots;
  const char* step;
};

class DumpFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(DumpFailure, StopsAtTheFailedReadWithoutStaleChunks) {
  const FailureCase& c = GetParam();
  DumpFixture f;
  TempDir::write(f.name, Bytes(200000, 0x55));
  std::uint32_t reads = 0;
  f.recorder->fails = [&](const DriverCall& call) {
    return call.kind == CallKind::BulkRead && reads++ == c.failingChunk;
  };
  f.console.keys = {'x'};
  c.dump(f.state);
  const std::uint32_t reached = c.failingChunk * c.chunkStep;
  char offset[9];
  std::snprintf(offset, sizeof offset, "%08X", reached);
  EXPECT_EQ(f.console.output(), std::string(c.dots, '.') + "\n" + c.step + " read at " + offset +
                                    " failed: stalled on endpoint 8\nPress Key to continue\n");
  EXPECT_EQ(f.state.flashOffset, reached);
  EXPECT_EQ(TempDir::read(f.name).size(), std::size_t(c.failingChunk) * c.chunkSize);
  EXPECT_TRUE(f.console.keys.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Chunks, DumpFailure,
    testing::Values(FailureCase{dumpDevice, BLOCK_RAW_SIZE, 0x4000, 0, 0, "Block"},
                    FailureCase{dumpDevice, BLOCK_RAW_SIZE, 0x4000, 3, 0, "Block"},
                    FailureCase{dumpDevice, BLOCK_RAW_SIZE, 0x4000, 4, 1, "Block"},
                    FailureCase{dumpDevice, BLOCK_RAW_SIZE, 0x4000, 12, 2, "Block"},
                    FailureCase{dumpMainArea, 512, 0x200, 127, 0, "Page"},
                    FailureCase{dumpMainArea, 512, 0x200, 128, 1, "Page"},
                    FailureCase{dumpMainArea, 512, 0x200, 384, 2, "Page"}));

TEST(Dumps, FullDiskStopsAndSaysWhereItGot) {
  for (void (*dump)(ToolState&) : {dumpDevice, dumpMainArea}) {
    ToolFixture f;
    f.recorder->keepLog = false;
    f.state.imageFileName = "/dev/full";
    f.console.keys = {'x'};
    dump(f.state);
    const std::string out = f.console.output();
    EXPECT_NE(out.find("Writing the file failed at offset 0000"), std::string::npos) << out;
    EXPECT_LT(f.state.flashOffset, 0x10000u) << "the dump stopped early";
    EXPECT_TRUE(f.console.keys.empty());
  }
}

}  // namespace
