#include "sim/nand/nand_flash.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

namespace sim {
namespace {

constexpr std::uint32_t RAW = NandFlash::PAGE_RAW_SIZE;
constexpr SimTime CYCLE = 40;  // ticks per bus cycle of the test's bus master

// A bus master that, like the bridge, starts every cycle only once R/B# is high.
struct Bus {
  NandFlash& flash;
  SimTime now = 0;

  void waitReady() { now = std::max(now, flash.readyTime()); }
  void command(std::uint8_t c) {
    waitReady();
    flash.commandCycle(c, now);
    now += CYCLE;
  }
  void address(std::uint8_t a) {
    waitReady();
    flash.addressCycle(a, now);
    now += CYCLE;
  }
  void address4(std::uint8_t column, std::uint32_t page) {
    address(column);
    address(page & 0xFF);
    address((page >> 8) & 0xFF);
    address((page >> 16) & 0x01);
  }
  void erase(std::uint32_t block) {
    const std::uint32_t page = block * NandFlash::PAGES_PER_BLOCK;
    command(0x60);
    address(page & 0xFF);
    address((page >> 8) & 0xFF);
    address((page >> 16) & 0x01);
    command(0xD0);
  }
  void program(std::uint32_t page, const std::vector<std::uint8_t>& data, std::uint8_t column = 0) {
    command(0x80);
    address4(column, page);
    for (std::uint8_t b : data) write(b);
    command(0x10);
  }
  void write(std::uint8_t b) {
    waitReady();
    flash.dataWriteCycle(b, now);
    now += CYCLE;
  }
  std::uint8_t read() {
    waitReady();
    const std::uint8_t b = flash.dataReadCycle(now);
    now += CYCLE;
    return b;
  }
  std::vector<std::uint8_t> read(std::size_t n) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < n; ++i) out.push_back(read());
    return out;
  }
  std::uint8_t status() {
    command(0x70);
    return read();
  }
};

class NandFlashTest : public ::testing::Test {
 protected:
  void SetUp() override {
    flash.useMemoryImage();
    // A pattern that tells pages and columns apart.
    std::uint8_t* image = flash.image();
    for (std::uint32_t page = 0; page < 64; ++page) {
      for (std::uint32_t c = 0; c < RAW; ++c) image[page * RAW + c] = byteAt(page, c);
    }
  }
  static std::uint8_t byteAt(std::uint32_t page, std::uint32_t column) {
    return std::uint8_t(column * 7 + page * 13 + column / 256);
  }
  std::vector<std::uint8_t> expected(std::uint32_t page, std::uint32_t column, std::size_t n) {
    return {flash.image() + page * RAW + column, flash.image() + page * RAW + column + n};
  }

  NandFlash flash;
  Bus bus{flash};
};

struct PointerCase {
  const char* name;
  std::uint8_t command;
  std::uint8_t column;
  std::uint32_t expectedColumn;
};

TEST_F(NandFlashTest, ReadCommandSelectsTheArea) {
  const PointerCase cases[] = {
      {"first half", 0x00, 5, 5},
      {"second half", 0x01, 5, 261},
      {"spare", 0x50, 3, 515},
      {"spare uses the low four column bits", 0x50, 0x13, 515},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bus.command(c.command);
    bus.address4(c.column, 7);
    EXPECT_EQ(bus.read(4), expected(7, c.expectedColumn, 4));
  }
}

struct ProgramPointerCase {
  const char* name;
  std::function<void(Bus&)> before;  // what the pointer saw before 0x80
  std::uint32_t expectedColumn;      // where a program at column 2 lands
};

TEST_F(NandFlashTest, PointerForProgramFollowsTheLastPointerCommand) {
  auto readOnce = [](Bus& b, std::uint8_t command) {
    b.command(command);
    b.address4(0, 40);
    b.read();
  };
  const ProgramPointerCase cases[] = {
      {"after reset", [](Bus& b) { b.command(0xFF); }, 2},
      {"0x01 right before", [](Bus& b) { b.command(0x01); }, 258},
      {"0x01 used up by a read", [&](Bus& b) { readOnce(b, 0x01); }, 2},
      {"0x50 stays after a read", [&](Bus& b) { readOnce(b, 0x50); }, 514},
      {"0x00 ends 0x50", [&](Bus& b) { readOnce(b, 0x50); b.command(0x00); }, 2},
  };
  std::uint32_t page = 100;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.before(bus);
    bus.program(page, {0x12}, 2);
    const std::uint8_t* p = flash.image() + page * RAW;
    EXPECT_EQ(p[c.expectedColumn], 0x12);
    EXPECT_EQ(std::count(p, p + RAW, 0xFF), RAW - 1) << "exactly one byte programmed";
    ++page;
  }
}

struct SequentialCase {
  const char* name;
  std::uint8_t command;
  std::uint8_t column;
  std::uint32_t firstColumn;     // on page 3
  std::uint32_t nextPageColumn;  // where page 4 is entered
};

TEST_F(NandFlashTest, SequentialReadRunsIntoTheNextPageAfterABusyLoad) {
  const SequentialCase cases[] = {
      {"first half", 0x00, 250, 250, 0},
      {"second half returns to column 0", 0x01, 250, 506, 0},
      {"spare area goes on in the next spare area", 0x50, 0, 512, 512},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bus.command(c.command);
    bus.address4(c.column, 3);
    const std::uint32_t inPage = RAW - c.firstColumn;
    EXPECT_EQ(bus.read(inPage), expected(3, c.firstColumn, inPage));
    // The last byte of page 3 started the load of page 4.
    const SimTime lastRead = bus.now - CYCLE;
    EXPECT_FALSE(flash.isReady(bus.now));
    EXPECT_EQ(flash.readyTime(), lastRead + NandFlash::READ_BUSY);
    EXPECT_EQ(bus.read(10), expected(4, c.nextPageColumn, 10));
  }
  EXPECT_EQ(flash.busyViolations(), 0u);
}

TEST_F(NandFlashTest, WholeBlockReadGivesPagesInOrder) {
  bus.command(0x00);
  bus.address4(0, 32);
  std::vector<std::uint8_t> block(32 * RAW);
  SimTime now = bus.now;
  ASSERT_EQ(flash.readCycles(block.data(), std::uint32_t(block.size()), now, CYCLE, 0), block.size());
  EXPECT_TRUE(std::equal(block.begin(), block.end(), flash.image() + 32 * RAW));
}

TEST_F(NandFlashTest, BurstReadMatchesSingleCycles) {
  NandFlash other;
  other.useMemoryImage();
  std::copy_n(flash.image(), 64 * RAW, other.image());
  Bus otherBus{other};
  for (Bus* b : {&bus, &otherBus}) {
    b->command(0x01);
    b->address4(200, 5);
  }
  const std::uint32_t count = 3 * RAW + 100;
  std::vector<std::uint8_t> single;
  for (std::uint32_t i = 0; i < count; ++i) {
    bus.waitReady();
    single.push_back(flash.dataReadCycle(bus.now + 5));
    bus.now += CYCLE;
  }
  std::vector<std::uint8_t> burst(count);
  SimTime now = otherBus.now;
  ASSERT_EQ(other.readCycles(burst.data(), count, now, CYCLE, 5), count);
  EXPECT_EQ(burst, single);
  EXPECT_EQ(now, bus.now);
  EXPECT_EQ(other.readyTime(), flash.readyTime());
  EXPECT_EQ(other.dataReadCycle(other.readyTime()), flash.dataReadCycle(flash.readyTime()));
  EXPECT_EQ(other.busyViolations(), 0u);
}

TEST_F(NandFlashTest, ProgramOnlyClearsBitsAndEraseSetsTheBlock) {
  const std::uint32_t page = 70;
  std::vector<std::uint8_t> high(RAW, 0xF0), low(RAW, 0x3C);
  bus.program(page, high);
  bus.program(page, low);
  const std::uint8_t* p = flash.image() + page * RAW;
  EXPECT_TRUE(std::all_of(p, p + RAW, [](std::uint8_t b) { return b == 0x30; }));
  EXPECT_EQ(flash.programCount(page), 2u);
  EXPECT_EQ(bus.status(), 0xC0);

  // Page 70 is in block 2; page 63 (block 1) stays untouched.
  bus.erase(2);
  EXPECT_EQ(bus.status(), 0xC0);
  const std::uint8_t* block = flash.image() + 64 * RAW;
  EXPECT_TRUE(std::all_of(block, block + 32 * RAW, [](std::uint8_t b) { return b == 0xFF; }));
  EXPECT_EQ(flash.programCount(page), 0u);
  EXPECT_EQ(flash.image()[63 * RAW], byteAt(63, 0));
}

struct BusyCase {
  const char* name;
  std::function<void(Bus&)> start;
  SimTime busy;
};

TEST_F(NandFlashTest, ReadyLineLowForEachOperationsTime) {
  const BusyCase cases[] = {
      {"page load", [](Bus& b) { b.command(0x00); b.address4(0, 9); }, NandFlash::READ_BUSY},
      {"program", [](Bus& b) { b.program(200, {0x00}); }, NandFlash::PROGRAM_BUSY},
      {"erase", [](Bus& b) { b.erase(300); }, NandFlash::ERASE_BUSY},
      {"reset", [](Bus& b) { b.command(0xFF); }, NandFlash::RESET_BUSY},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    c.start(bus);
    const SimTime edge = bus.now - CYCLE;  // the cycle that started the operation
    EXPECT_FALSE(flash.isReady(edge + c.busy - 1));
    EXPECT_TRUE(flash.isReady(edge + c.busy));
    EXPECT_EQ(flash.readyTime(), edge + c.busy);
    // Read status is answered while busy, with bit 6 low.
    flash.commandCycle(0x70, edge + 1);
    EXPECT_EQ(flash.dataReadCycle(edge + 2), 0x80);
    EXPECT_EQ(flash.dataReadCycle(edge + c.busy), 0xC0);
    bus.now = edge + c.busy;
  }
  EXPECT_EQ(flash.busyViolations(), 0u);
}

TEST_F(NandFlashTest, CyclesWhileBusyAreCountedAndIgnored) {
  bus.command(0x00);
  bus.address4(0, 1);
  const SimTime t = bus.now;  // inside tR
  EXPECT_EQ(flash.dataReadCycle(t), 0xFF);
  flash.commandCycle(0x80, t);
  flash.addressCycle(0x00, t);
  flash.dataWriteCycle(0x00, t);
  EXPECT_EQ(flash.busyViolations(), 4u);
  // Nothing moved: the read goes on from column 0 of page 1.
  EXPECT_EQ(bus.read(3), expected(1, 0, 3));
  EXPECT_EQ(flash.busyViolations(), 4u);
}

TEST_F(NandFlashTest, StatusAndIdBytes) {
  EXPECT_EQ(bus.status(), 0xC0);
  EXPECT_EQ(bus.read(), 0xC0) << "every read after 0x70 is the status byte";
  bus.command(0x90);
  bus.address(0x00);
  EXPECT_EQ(bus.read(4), (std::vector<std::uint8_t>{0xEC, 0x76, 0xA5, 0xC0}));
}

TEST_F(NandFlashTest, BadBlockFailsProgramAndEraseInStatusBitZero) {
  flash.setBadBlock(1, true);
  bus.program(33, {0x00, 0x00});
  EXPECT_EQ(bus.status(), 0xC1);
  EXPECT_EQ(expected(33, 0, 2), (std::vector<std::uint8_t>{byteAt(33, 0), byteAt(33, 1)}));
  bus.erase(1);
  EXPECT_EQ(bus.status(), 0xC1);
  EXPECT_EQ(flash.image()[40 * RAW], byteAt(40, 0));
  // A good block clears the fail bit again; so does a reset.
  bus.erase(0);
  EXPECT_EQ(bus.status(), 0xC0);
  bus.erase(1);
  bus.command(0xFF);
  EXPECT_EQ(bus.status(), 0xC0);
}

TEST_F(NandFlashTest, StuckBusyNeverReady) {
  flash.setStuckBusy(true);
  EXPECT_EQ(flash.readyTime(), NandFlash::NEVER);
  EXPECT_FALSE(flash.isReady(NandFlash::NEVER - 1));
  flash.commandCycle(0x70, 100);
  EXPECT_EQ(flash.dataReadCycle(200), 0x80);
  flash.commandCycle(0x00, 300);
  EXPECT_EQ(flash.busyViolations(), 1u);
  std::uint8_t byte = 0;
  SimTime now = 0;
  EXPECT_EQ(flash.readCycles(&byte, 1, now, CYCLE, 0), 0u);
  flash.setStuckBusy(false);
  EXPECT_TRUE(flash.isReady(400));
}

TEST_F(NandFlashTest, TraceRecordsKindValueAndTime) {
  flash.enableTrace(true);
  bus.command(0x90);
  bus.address(0x00);
  bus.read();
  const std::vector<BusCycle> want = {{BusCycleKind::Command, 0x90, 0},
                                      {BusCycleKind::Address, 0x00, CYCLE},
                                      {BusCycleKind::DataRead, 0xEC, 2 * CYCLE}};
  EXPECT_EQ(flash.trace(), want);
  flash.clearTrace();
  EXPECT_TRUE(flash.trace().empty());
}

class NandImageFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("nand_image_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
           "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::filesystem::path dir;
};

TEST_F(NandImageFileTest, MissingImageIsCreatedErasedAndKeepsWhatIsProgrammed) {
  const std::string path = (dir / "flash.bin").string();
  std::string error;
  {
    NandFlash flash;
    ASSERT_TRUE(flash.openImage(path, error)) << error;
    EXPECT_EQ(std::filesystem::file_size(path), NandFlash::IMAGE_SIZE);
    const std::uint8_t* image = flash.image();
    EXPECT_TRUE(std::all_of(image, image + NandFlash::IMAGE_SIZE, [](std::uint8_t b) { return b == 0xFF; }));
    Bus bus{flash};
    bus.program(NandFlash::PAGE_COUNT - 1, {0xA5}, 7);
  }
  NandFlash reopened;
  ASSERT_TRUE(reopened.openImage(path, error)) << error;
  EXPECT_EQ(reopened.image()[NandFlash::IMAGE_SIZE - RAW + 7], 0xA5);
}

TEST_F(NandImageFileTest, UnusableFilesAreRefusedWithAMessage) {
  const std::string wrongSize = (dir / "short.bin").string();
  {
    std::FILE* f = std::fopen(wrongSize.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("not a flash", f);
    std::fclose(f);
  }
  const std::string cases[] = {wrongSize, (dir / "no" / "such" / "dir.bin").string(), dir.string()};
  for (const auto& path : cases) {
    SCOPED_TRACE(path);
    NandFlash flash;
    std::string error;
    EXPECT_FALSE(flash.openImage(path, error));
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_EQ(flash.image(), nullptr);
  }
  EXPECT_EQ(std::filesystem::file_size(wrongSize), 11u) << "a refused file is left as it was";
}

}  // namespace
}  // namespace sim
