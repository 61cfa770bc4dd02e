// Times the host's two dumps through the reference bridge on a mapped image file and prints
// MB/s of flash bytes delivered: the whole device (per block one read setup and one read of
// 16,896 bytes) and the main area (per page one read setup and one read of 512 bytes). A third
// figure reads the whole device from the flash model alone, one data-read cycle per call, as
// the chip model's GPIF does.
// Usage: reference_dump_bench [image path]  (default: a temporary, erased image)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "sim/reference/reference_bridge.h"

namespace {

using Clock = std::chrono::steady_clock;

bool send(sim::ReferenceBridge& bridge, std::initializer_list<std::uint8_t> packet) {
  const std::vector<std::uint8_t> bytes(packet);
  return bridge.bulkOut(0x04, bytes.data(), std::uint32_t(bytes.size()));
}

bool readAt(sim::ReferenceBridge& bridge, std::uint32_t page, std::uint8_t* out, std::uint16_t count) {
  std::uint32_t got = 0;
  return send(bridge, {0x50, 0x00, 0x00, std::uint8_t(page), std::uint8_t(page >> 8),
                       std::uint8_t(page >> 16)}) &&
         send(bridge, {0x12, std::uint8_t(count >> 8), std::uint8_t(count)}) &&
         bridge.bulkIn(0x88, out, count, got) && got == count;
}

// The whole device through single bus cycles, each started once R/B# is high.
std::uint64_t singleCycleDump(sim::NandFlash& flash, sim::SimTime& now) {
  constexpr sim::SimTime CYCLE = 45;  // 9 IFCLK periods at 48 MHz
  std::uint64_t sum = 0;
  for (std::uint32_t block = 0; block < sim::NandFlash::BLOCK_COUNT; ++block) {
    const std::uint32_t page = block * sim::NandFlash::PAGES_PER_BLOCK;
    const std::uint8_t setup[] = {0x00, std::uint8_t(page), std::uint8_t(page >> 8), std::uint8_t(page >> 16)};
    flash.commandCycle(0x00, now);
    now += CYCLE;
    for (std::uint8_t a : setup) {
      flash.addressCycle(a, now);
      now += CYCLE;
    }
    for (std::uint32_t i = 0; i < sim::NandFlash::PAGES_PER_BLOCK * sim::NandFlash::PAGE_RAW_SIZE; ++i) {
      now = std::max(now, flash.readyTime());
      sum += flash.dataReadCycle(now);
      now += CYCLE;
    }
    now = std::max(now, flash.readyTime());
  }
  return sum;
}

void report(const char* what, std::uint64_t bytes, Clock::duration wall, sim::SimTime simulated) {
  const double seconds = std::chrono::duration<double>(wall).count();
  std::printf("%-22s %10llu bytes  %7.3f s  %8.1f MB/s   (simulated %.2f s)\n", what,
              static_cast<unsigned long long>(bytes), seconds, bytes / seconds / 1e6,
              sim::toSeconds(simulated));
}

}  // namespace

int main(int argc, char** argv) {
  std::string path;
  bool temporary = argc < 2;
  if (temporary) {
    path = (std::filesystem::temp_directory_path() / "reference_dump_bench.bin").string();
    std::filesystem::remove(path);
  } else {
    path = argv[1];
  }
  sim::NandFlash flash;
  std::string error;
  if (!flash.openImage(path, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  sim::ReferenceBridge bridge(flash);
  const std::uint8_t hold = 1, release = 0;
  bridge.controlOut(0xA0, 0xE600, 0, &hold, 1);
  bridge.controlOut(0xA0, 0xE600, 0, &release, 1);
  bridge.setInterface(0, 1);

  constexpr std::uint32_t BLOCK_RAW = sim::NandFlash::PAGES_PER_BLOCK * sim::NandFlash::PAGE_RAW_SIZE;
  std::vector<std::uint8_t> buffer(BLOCK_RAW);
  int status = 0;

  for (int pass = 0; pass < 2; ++pass) {
    std::uint64_t checksum = 0;
    auto start = Clock::now();
    sim::SimTime simStart = bridge.now();
    for (std::uint32_t block = 0; block < sim::NandFlash::BLOCK_COUNT; ++block) {
      if (!readAt(bridge, block * sim::NandFlash::PAGES_PER_BLOCK, buffer.data(), BLOCK_RAW)) {
        std::fprintf(stderr, "whole-device dump failed at block %u: %s\n", block, bridge.lastError().c_str());
        status = 1;
        break;
      }
      checksum += buffer[block % BLOCK_RAW];
    }
    report(pass == 0 ? "whole device (cold)" : "whole device", sim::NandFlash::IMAGE_SIZE,
           Clock::now() - start, bridge.now() - simStart);

    start = Clock::now();
    simStart = bridge.now();
    for (std::uint32_t page = 0; page < sim::NandFlash::PAGE_COUNT; ++page) {
      if (!readAt(bridge, page, buffer.data(), sim::NandFlash::PAGE_DATA_SIZE)) {
        std::fprintf(stderr, "main-area dump failed at page %u: %s\n", page, bridge.lastError().c_str());
        status = 1;
        break;
      }
      checksum += buffer[page % 512];
    }
    report("main area", std::uint64_t(sim::NandFlash::PAGE_COUNT) * sim::NandFlash::PAGE_DATA_SIZE,
           Clock::now() - start, bridge.now() - simStart);
    if (checksum == 0) std::printf("(checksum 0)\n");  // keeps the reads observable
  }
  sim::SimTime now = bridge.now();
  const sim::SimTime simStart = now;
  const auto start = Clock::now();
  const std::uint64_t sum = singleCycleDump(flash, now);
  report("flash, single cycles", sim::NandFlash::IMAGE_SIZE, Clock::now() - start, now - simStart);
  if (sum != 0xFFull * sim::NandFlash::IMAGE_SIZE && temporary) {
    std::printf("(unexpected content of the erased image)\n");
    status = 1;
  }
  if (flash.busyViolations() != 0) {
    std::printf("(%llu cycles while busy)\n", static_cast<unsigned long long>(flash.busyViolations()));
    status = 1;
  }
  if (temporary) std::filesystem::remove(path);
  return status;
}
