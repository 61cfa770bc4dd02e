// Wall-clock and simulated time of the host's two dumps with the real firmware on the chip
// model: the whole device (per block one read setup and one 16,896-byte read) and the main
// area (per page one read setup and one 512-byte read), through the host's own flash
// operations and the virtual driver. Beside the simulated time it prints the bound that the
// FIFO-read waveform and the flash's page loads allow.
//   firmware_dump_bench [blocks]   (default 4096: the whole device)
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "firmware/image/firmware_hex_text.h"
#include "host/drivers/virtual/virtual_device.h"
#include "host/link/firmware_loader.h"
#include "host/link/flash_operations.h"
#include "sim/fx2/chip_bridge.h"

namespace {

using Clock = std::chrono::steady_clock;

// The FIFO-read waveform moves one byte per pass: S0 one RDY0 test, S1 2 cycles, S2 1, S3 3,
// S4 the decision, then one IFCLK cycle in idle before the next pass: 9 cycles at 48 MHz.
constexpr double FIFO_READ_SECONDS_PER_BYTE = 9.0 / 48e6;
constexpr double PAGE_LOAD_SECONDS = 12e-6;  // tR: the flash is busy this long per page

// Wall time decides the target; the process's CPU time is printed beside it because other
// work on a shared machine stretches the wall time.
void report(const char* what, std::uint64_t bytes, std::uint64_t pages, Clock::duration wall,
            std::clock_t cpu, sim::SimTime simulated, double target) {
  const double seconds = std::chrono::duration<double>(wall).count();
  const double cpuSeconds = static_cast<double>(cpu) / CLOCKS_PER_SEC;
  const double rate = bytes / seconds / 1e6;
  const double bound = bytes * FIFO_READ_SECONDS_PER_BYTE + pages * PAGE_LOAD_SECONDS;
  std::printf("%-12s %10llu bytes  wall %7.3f s  %6.1f MB/s (target %.0f: %s)  cpu %7.3f s"
              " %6.1f MB/s  simulated %8.3f s  bound %8.3f s (%.0f%%)\n",
              what, static_cast<unsigned long long>(bytes), seconds, rate, target,
              rate >= target ? "met" : "MISSED", cpuSeconds, bytes / cpuSeconds / 1e6,
              sim::toSeconds(simulated), bound, 100.0 * bound / sim::toSeconds(simulated));
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint32_t blocks = argc > 1 ? static_cast<std::uint32_t>(std::atoi(argv[1])) : 4096;
  if (blocks == 0 || blocks > sim::NandFlash::BLOCK_COUNT) {
    std::fprintf(stderr, "usage: firmware_dump_bench [blocks 1-4096]\n");
    return 2;
  }
  sim::NandFlash flash;
  flash.useMemoryImage();
  for (std::uint64_t i = 0; i < sim::NandFlash::IMAGE_SIZE; i += 4096) flash.image()[i] = i >> 12;

  auto bridgeOwner = std::make_unique<fx2::ChipBridge>(flash);
  fx2::ChipBridge& bridge = *bridgeOwner;
  DeviceChannel channel;
  channel.device = std::make_unique<VirtualDevice>(nullptr, std::move(bridgeOwner));
  std::vector<char> text(firmwareHexText, firmwareHexText + std::strlen(firmwareHexText) + 1);
  downloadFirmware(channel, text.data());
  selectInterface(channel, 0, 1);
  // a real host's first packet comes long after the firmware has configured the chip
  bridge.advanceHostTime(sim::milliseconds(5));

  constexpr std::uint32_t BLOCK_RAW = 0x4200, PAGE_DATA = 512;
  std::vector<std::uint8_t> buffer(BLOCK_RAW);
  std::uint64_t checksum = 0;

  auto start = Clock::now();
  std::clock_t cpuStart = std::clock();
  sim::SimTime simStart = bridge.now();
  for (std::uint32_t block = 0; block < blocks; ++block) {
    if (!sendReadAddress(channel, block * 0x4000) || !readBytes(channel, buffer.data(), BLOCK_RAW)) {
      std::fprintf(stderr, "whole-device dump failed at block %u: %s\n", block,
                   channelError(channel).c_str());
      return 1;
    }
    checksum += buffer[0];
  }
  report("whole device", std::uint64_t(blocks) * BLOCK_RAW, std::uint64_t(blocks) * 32,
         Clock::now() - start, std::clock() - cpuStart, bridge.now() - simStart, 25);

  start = Clock::now();
  cpuStart = std::clock();
  simStart = bridge.now();
  for (std::uint32_t page = 0; page < blocks * 32; ++page) {
    if (!sendReadAddress(channel, page * PAGE_DATA) || !readBytes(channel, buffer.data(), PAGE_DATA)) {
      std::fprintf(stderr, "main-area dump failed at page %u: %s\n", page,
                   channelError(channel).c_str());
      return 1;
    }
    checksum += buffer[0];
  }
  report("main area", std::uint64_t(blocks) * 32 * PAGE_DATA, std::uint64_t(blocks) * 32,
         Clock::now() - start, std::clock() - cpuStart, bridge.now() - simStart, 10);
  std::printf("(checksum %llu)\n", static_cast<unsigned long long>(checksum));
  return 0;
}
