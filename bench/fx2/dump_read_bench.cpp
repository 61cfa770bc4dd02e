// Whole-device read through the chip model: the GPIF's FIFO read moves 16,896 bytes at a
// time from the NAND model into EP8 and the host collects them, for all 69,206,016 bytes.
// Prints the wall-clock rate and the simulated time beside the time the waveform and the
// flash's page loads imply.
#include <chrono>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include "sim/fx2/chip_bridge.h"
#include "sim/fx2/fx2_registers.h"
#include "sim/mcs51/intel_hex.h"
#include "tests/sim/fx2/bridge_waveforms.h"

using namespace fx2;

namespace {

// Waveform 0, one pass per byte: S0 1 test, S1 2, S2 1, S3 3, S4 1 decision.
constexpr unsigned WAVEFORM_0_CYCLES = 1 + 2 + 1 + 3 + 1;

void busWrite(Fx2Chip& chip, std::uint8_t latch, std::uint8_t value) {
  chip.writeSfr(sfr::IOA, latch);
  chip.writeXdata(xreg::XGPIFSGLDATLX, value);
  while (!(chip.readSfr(sfr::GPIFTRIG) & 0x80)) chip.runFor(sim::microseconds(1));
  chip.writeSfr(sfr::IOA, 0);
}

}  // namespace

int main() {
  std::ifstream in(READ_LOOP_IHX);
  std::stringstream text;
  text << in.rdbuf();
  std::vector<std::uint8_t> image(Fx2Chip::RAM_SIZE, 0);
  const mcs51::HexLoadResult loaded = mcs51::loadIntelHex(text.str(), image);
  if (!loaded.ok) {
    std::printf("cannot load %s: %s\n", READ_LOOP_IHX, loaded.error.c_str());
    return 1;
  }

  sim::NandFlash flash;
  flash.useMemoryImage();
  std::uint8_t* data = flash.image();
  for (std::uint64_t i = 0; i < sim::NandFlash::IMAGE_SIZE; ++i)
    data[i] = static_cast<std::uint8_t>(i ^ (i >> 9));
  ChipBridge bridge(flash);
  Fx2Chip& chip = bridge.chip();
  bridge.setInterface(0, 1);

  // Configure the interface, the endpoints and waveforms 0 and 3, and set the flash up for a
  // sequential read from page 0, with the CPU still held in reset.
  const std::uint8_t hold = 1, release = 0;
  bridge.controlOut(0xA0, xreg::CPUCS, 0, &hold, 1);
  bridge.controlOut(0xA0, 0, 0, image.data(), static_cast<std::uint16_t>(loaded.highestAddress));
  bridge.controlOut(0xA0, xreg::CPUCS, 0, &release, 1);
  chip.writeXdata(xreg::IFCONFIG, 0xEA);
  chip.writeXdata(xreg::GPIFREADYCFG, 0x80);
  chip.writeXdata(xreg::GPIFIDLECTL, 0xFF);
  chip.writeXdata(xreg::GPIFWFSELECT, 0xE4);
  for (unsigned i = 0; i < sizeof fx2test::BRIDGE_WAVEFORMS; ++i)
    chip.writeXdata(static_cast<std::uint16_t>(xreg::GPIF_WAVE_DATA + i),
                    fx2test::BRIDGE_WAVEFORMS[i]);
  chip.writeXdata(xreg::EP8FIFOCFG, 0x08);
  chip.writeSfr(sfr::OEA, 0xC0);
  busWrite(chip, 0x80, 0x00);
  for (int i = 0; i < 4; ++i) busWrite(chip, 0x40, 0x00);
  chip.core().setIram(0x2F, 1);

  constexpr std::uint32_t CHUNK = 16896;
  std::vector<std::uint8_t> buffer(CHUNK);
  const std::uint64_t total = sim::NandFlash::IMAGE_SIZE;
  std::uint32_t n = 0;
  const sim::SimTime simStart = chip.now();
  const auto wallStart = std::chrono::steady_clock::now();
  std::uint64_t received = 0, mismatches = 0;
  while (received < total) {
    if (!bridge.bulkIn(0x88, buffer.data(), CHUNK, n)) {
      std::printf("bulk read failed after %llu bytes: %s\n", (unsigned long long)received,
                  bridge.lastError().c_str());
      return 1;
    }
    for (std::uint32_t i = 0; i < n; i += 4096)
      mismatches += data[received + i] != buffer[i];
    received += n;
  }
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  const double simulated = sim::toSeconds(chip.now() - simStart);

  const double ifclk = 1.0 / 48e6;
  const double perByte = (WAVEFORM_0_CYCLES + Gpif::IDLE_PASS_CYCLES) * ifclk;
  const double pages = double(total) / sim::NandFlash::PAGE_RAW_SIZE;
  const double implied = double(total) * perByte + pages * sim::toSeconds(sim::NandFlash::READ_BUSY);
  std::printf("chip read: %llu bytes in %.3f s wall = %.1f MB/s (target >= 40)\n",
              (unsigned long long)received, wall, received / wall / 1e6);
  std::printf("simulated %.4f s; waveform 0 (%u + %u idle cycles at 48 MHz per byte) and tR per "
              "page imply %.4f s: %+.2f %%\n",
              simulated, WAVEFORM_0_CYCLES, Gpif::IDLE_PASS_CYCLES, implied,
              100.0 * (simulated - implied) / implied);
  std::printf("sampled bytes differing from the flash: %llu\n", (unsigned long long)mismatches);
  return mismatches ? 1 : 0;
}
