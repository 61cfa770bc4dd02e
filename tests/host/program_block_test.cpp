#include <gtest/gtest.h>

#include "host/link/nand_geometry.h"
#include "host/workflows/workflows.h"
#include "tests/host/temp_dir.h"
#include "tests/host/tool_fixture.h"

namespace {

std::uint8_t fileByte(std::size_t position) { return static_cast<std::uint8_t>(position * 7 + 3); }

Bytes rawFile(std::size_t size) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = fileByte(i);
  return bytes;
}

std::string prompt(const char* block) {
  return std::string("\nSure you want to Program this block?:") + block +
         "\nPress ESC to abort, any other to continue\nProgramming block:" + block + "\n";
}

struct ProgramFixture : ToolFixture {
  explicit ProgramFixture(std::size_t fileSize) {
    TempDir::write(name, rawFile(fileSize));
    state.imageFileName = name.c_str();
  }
  TempDir dir;
  std::string name = dir.file("block.raw");
};

TEST(ProgramBlock, ThirtyTwoPagesFromTheBlocksRawPositionInPacketOrder) {
  ProgramFixture f(2 * BLOCK_RAW_SIZE);
  f.state.flashOffset = 0x4200;
  f.console.keys = {'y', 'k'};
  programBlockAtOffset(f.state);

  EXPECT_EQ(f.console.output(), prompt("00004000") + std::string(32, '.') + "Press Key to continue\n");
  const auto& calls = f.recorder->calls;
  const Bytes file = rawFile(2 * BLOCK_RAW_SIZE);
  ASSERT_EQ(calls.size(), 32u * 7);
  for (std::uint32_t page = 0; page < 32; ++page) {
    const DriverCall* c = &calls[page * 7];
    const std::uint32_t offset = 0x4000 + page * 512;
    EXPECT_EQ(c[0].bytes, (Bytes{0x50, 0x80, 0x00, std::uint8_t(offset >> 9), 0x00, 0x00})) << page;
    EXPECT_EQ(c[1].pipe, 2u);
    const std::size_t filePosition = 0x4200 + page * 528;
    EXPECT_EQ(c[1].bytes, Bytes(file.begin() + filePosition, file.begin() + filePosition + 528))
        << page;
    EXPECT_EQ(c[2].bytes, (Bytes{0x52, 0x10, 0x00, 0x00}));
    EXPECT_EQ(c[3].kind, CallKind::Sleep);
    EXPECT_EQ(c[3].pipe, 2u);
    EXPECT_EQ(c[4].bytes, (Bytes{0x52, 0x70, 0x00, 0x00}));
    EXPECT_EQ(c[5].bytes, (Bytes{0x12, 0x00, 0x04}));
    EXPECT_EQ(c[6].count, 4u);
  }
  // The buffer keeps the last status bytes, then the rest of the last page sent.
  EXPECT_EQ(Bytes(f.buffer(), f.buffer() + 5), (Bytes{0, 0, 0, 0, fileByte(2 * BLOCK_RAW_SIZE - 528 + 4)}));
}

TEST(ProgramBlock, FailedPageSaysSoAndTheBlockGoesOn) {
  ProgramFixture f(BLOCK_RAW_SIZE);
  f.recorder->statusBytes = {0, 0, 1, 0};
  f.console.keys = {'y', 'k'};
  programBlockAtOffset(f.state);
  EXPECT_EQ(f.console.output(),
            prompt("00000000") + "..Status error\n" + std::string(29, '.') + "Press Key to continue\n");
  EXPECT_EQ(f.recorder->commandPackets().size(), 32u * 4);
}

TEST(ProgramBlock, FileWithoutTheWholeBlockIsRefusedBeforeAnythingIsSent) {
  struct Case {
    std::size_t fileSize;
    std::uint32_t flashOffset;
  };
  // One block serves only for block 0; a block cut short serves for none.
  for (Case c : {Case{BLOCK_RAW_SIZE, 0x4000}, Case{BLOCK_RAW_SIZE - 1, 0}, Case{0, 0},
                 Case{2 * BLOCK_RAW_SIZE - 16, 0x7E00}}) {
    ProgramFixture f(c.fileSize);
    f.state.flashOffset = c.flashOffset;
    f.console.keys = {'y', 'k'};
    programBlockAtOffset(f.state);
    EXPECT_TRUE(f.recorder->calls.empty()) << c.fileSize;
    EXPECT_NE(f.console.output().find("The file is too short"), std::string::npos) << c.fileSize;
    EXPECT_TRUE(f.console.keys.empty()) << "the message waits for a key";
  }
}

TEST(ProgramBlock, DriverFailureStopsTheBlockAndNamesTheStep) {
  ProgramFixture f(BLOCK_RAW_SIZE);
  int dataWrites = 0;
  f.recorder->fails = [&](const DriverCall& c) {
    return c.kind == CallKind::BulkWrite && c.pipe == 2 && ++dataWrites == 3;
  };
  f.console.keys = {'y', 'k'};
  programBlockAtOffset(f.state);
  EXPECT_EQ(f.console.output(), prompt("00000000") +
                                    "..\nPage data write for page 00000400 failed: stalled on "
                                    "endpoint 8\nPress Key to continue\n");
  EXPECT_EQ(f.recorder->calls.back().pipe, 2u) << "nothing is sent after the failed step";
}

TEST(ProgramBlock, EscOrNoFileSendsNothing) {
  struct Case {
    std::deque<int> keys;
    const char* name;  // null: unset
    std::string tail;
    std::size_t keysLeft;
  };
  const Case cases[] = {
      {{27, 'n'}, "block.raw", "", 1},
      {{'y', 'n'}, nullptr, "Programming block:00000000\nfopen failed\n", 1},
      {{'y', 'n'}, "", "Programming block:00000000\nfopen failed\n", 1},
      {{'y', 'n'}, "missing.raw", "Programming block:00000000\nfopen failed\n", 1},
  };
  for (const Case& c : cases) {
    ProgramFixture f(BLOCK_RAW_SIZE);
    const std::string name = (c.name && *c.name) ? f.dir.file(c.name) : "";
    f.state.imageFileName = c.name ? name.c_str() : nullptr;
    f.console.keys = c.keys;
    programBlockAtOffset(f.state);
    EXPECT_TRUE(f.recorder->calls.empty());
    EXPECT_EQ(f.console.output(),
              "\nSure you want to Program this block?:00000000\nPress ESC to abort, any other to continue\n" + c.tail);
    EXPECT_EQ(f.console.keys.size(), c.keysLeft) << "no key wait after these";
  }
}

TEST(ProgramBlock, OffsetBeyondTheFlashIsRefusedBeforeAsking) {
  ProgramFixture f(2 * BLOCK_RAW_SIZE);
  f.state.flashOffset = 0x80004000;
  f.console.keys = {'y', 'k'};
  programBlockAtOffset(f.state);
  EXPECT_TRUE(f.recorder->calls.empty());
  EXPECT_EQ(f.console.output().find("Sure"), std::string::npos);
}

}  // namespace
