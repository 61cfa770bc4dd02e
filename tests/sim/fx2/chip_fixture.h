#pragma once
// A chip bridge on an erased in-memory flash, with helpers to configure the chip the way the
// bridge firmware does (from C++, with the CPU held in reset) and to load test programs.
#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/fx2/chip_bridge.h"
#include "sim/fx2/fx2_registers.h"
#include "sim/mcs51/intel_hex.h"
#include "tests/sim/fx2/bridge_waveforms.h"

namespace fx2test {

using namespace fx2;

// IFCLK at 48 MHz.
constexpr sim::SimTime IFCLK = sim::ticksPerPeriod(48'000'000);

class ChipFixture : public ::testing::Test {
 public:
  ChipFixture() : bridge(flash), chip(bridge.chip()) {
    flash.useMemoryImage();
    bridge.setInterface(0, 1);
  }

  // Interface, endpoints and GPIF as the bridge firmware sets them up, without the long write.
  void configureBridge() {
    chip.writeXdata(xreg::IFCONFIG, 0xEA);
    chip.writeXdata(xreg::GPIFABORT, 0xFF);
    chip.writeXdata(xreg::GPIFREADYCFG, 0x80);
    chip.writeXdata(xreg::GPIFCTLCFG, 0x00);
    chip.writeXdata(xreg::GPIFIDLECS, 0x00);
    chip.writeXdata(xreg::GPIFIDLECTL, 0xFF);
    chip.writeXdata(xreg::GPIFWFSELECT, 0xE4);
    for (unsigned i = 0; i < 128; ++i)
      chip.writeXdata(static_cast<std::uint16_t>(xreg::GPIF_WAVE_DATA + i), BRIDGE_WAVEFORMS[i]);
    chip.writeXdata(xreg::EP2CFG, 0xA2);
    chip.writeXdata(xreg::EP4CFG, 0xA0);
    chip.writeXdata(xreg::EP6CFG, 0xE2);
    chip.writeXdata(xreg::EP8CFG, 0xE0);
    for (std::uint8_t v : {0x80, 0x02, 0x04, 0x06, 0x08, 0x00}) chip.writeXdata(xreg::FIFORESET, v);
    chip.writeXdata(xreg::EP2FIFOCFG, 0x10);
    chip.writeXdata(xreg::EP6FIFOCFG, 0x04);
    chip.writeXdata(xreg::EP8FIFOCFG, 0x08);
    chip.writeXdata(xreg::EP2BCL, 0x80);
    chip.writeXdata(xreg::EP2BCL, 0x80);
    for (int i = 0; i < 4; ++i) chip.writeXdata(xreg::EP4BCL, 0x80);
  }

  void setCount(std::uint32_t n) {
    chip.writeXdata(xreg::GPIFTCB3, static_cast<std::uint8_t>(n >> 24));
    chip.writeXdata(xreg::GPIFTCB2, static_cast<std::uint8_t>(n >> 16));
    chip.writeXdata(xreg::GPIFTCB1, static_cast<std::uint8_t>(n >> 8));
    chip.writeXdata(xreg::GPIFTCB0, static_cast<std::uint8_t>(n));
  }
  std::uint32_t count() {
    return std::uint32_t(chip.readXdata(xreg::GPIFTCB3)) << 24 |
           std::uint32_t(chip.readXdata(xreg::GPIFTCB2)) << 16 |
           std::uint32_t(chip.readXdata(xreg::GPIFTCB1)) << 8 | chip.readXdata(xreg::GPIFTCB0);
  }
  bool done() { return chip.readSfr(sfr::GPIFTRIG) & 0x80; }

  // One single-byte write with CLE or ALE as port A drives them (0x80 command, 0x40 address).
  void busWrite(std::uint8_t latch, std::uint8_t value) {
    chip.writeSfr(sfr::OEA, 0xC0);
    chip.writeSfr(sfr::IOA, latch);
    chip.writeXdata(xreg::XGPIFSGLDATH, 0);
    chip.writeXdata(xreg::XGPIFSGLDATLX, value);
    runUntilDone();
    chip.writeSfr(sfr::IOA, 0);
  }
  // Page read set-up: 0x00 and four address bytes; the flash then loads the page (tR).
  void readPage(std::uint32_t page) {
    busWrite(0x80, 0x00);
    busWrite(0x40, 0x00);
    busWrite(0x40, static_cast<std::uint8_t>(page));
    busWrite(0x40, static_cast<std::uint8_t>(page >> 8));
    busWrite(0x40, static_cast<std::uint8_t>(page >> 16));
  }
  void runUntilDone(sim::SimTime limit = sim::milliseconds(50)) {
    const sim::SimTime end = chip.now() + limit;
    while (!done() && chip.now() < end) chip.runFor(IFCLK * 8);
  }
  void fillFlash() {
    for (std::uint64_t i = 0; i < 64 * sim::NandFlash::PAGE_RAW_SIZE; ++i)
      flash.image()[i] = static_cast<std::uint8_t>(i * 7 + i / 528);
  }

  // Assembles programs are built next to the tests; loads one over request 0xA0 and
  // releases the CPU.
  void loadProgram(const std::string& name) {
    std::ifstream in(std::string(FX2_TEST_PROGRAM_DIR) + "/" + name + ".ihx");
    ASSERT_TRUE(in) << "missing test program " << name;
    std::stringstream text;
    text << in.rdbuf();
    std::vector<std::uint8_t> image(Fx2Chip::RAM_SIZE, 0);
    const mcs51::HexLoadResult r = mcs51::loadIntelHex(text.str(), image);
    ASSERT_TRUE(r.ok) << r.error;
    const std::uint8_t hold = 1, release = 0;
    ASSERT_TRUE(bridge.controlOut(0xA0, xreg::CPUCS, 0, &hold, 1));
    ASSERT_TRUE(bridge.controlOut(0xA0, 0, 0, image.data(), static_cast<std::uint16_t>(r.highestAddress)));
    ASSERT_TRUE(bridge.controlOut(0xA0, xreg::CPUCS, 0, &release, 1));
  }
  // Test programs signal through internal RAM.
  std::uint8_t iram(std::uint8_t a) { return chip.core().iram(a); }

  sim::NandFlash flash;
  ChipBridge bridge;
  Fx2Chip& chip;
};

}  // namespace fx2test
