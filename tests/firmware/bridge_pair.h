#pragma once
// The firmware on the chip model and the reference bridge side by side, each on its own
// flash with the same contents, both started the way the host starts a bridge.
#include <cstdint>
#include <random>

#include "bridge_script.h"
#include "sim/fx2/chip_bridge.h"
#include "sim/nand/nand_flash.h"
#include "sim/reference/reference_bridge.h"

namespace firmware_test {

class BridgePair {
 public:
  BridgePair() : chip_(chipFlash_), reference_(referenceFlash_) {
    chipFlash_.useMemoryImage();
    referenceFlash_.useMemoryImage();
    // the same pseudo-random contents in the first blocks and the last one
    std::mt19937 random(2026);
    const std::uint64_t blockBytes = 32ull * sim::NandFlash::PAGE_RAW_SIZE;
    for (std::uint64_t i = 0; i < 8 * blockBytes; ++i)
      chipFlash_.image()[i] = referenceFlash_.image()[i] = static_cast<std::uint8_t>(random());
    for (std::uint64_t i = sim::NandFlash::IMAGE_SIZE - blockBytes; i < sim::NandFlash::IMAGE_SIZE; ++i)
      chipFlash_.image()[i] = referenceFlash_.image()[i] = static_cast<std::uint8_t>(random());
    chipStarted_ = startBridge(chip_);
    referenceStarted_ = startBridge(reference_);
  }

  bool started() const { return chipStarted_ && referenceStarted_; }
  fx2::ChipBridge& chip() { return chip_; }
  sim::NandFlash& chipFlash() { return chipFlash_; }
  sim::NandFlash& referenceFlash() { return referenceFlash_; }

  ScriptOutcome runOnChip(const HostScript& script) { return runScript(chip_, chipFlash_, script); }
  ScriptOutcome runOnReference(const HostScript& script) {
    return runScript(reference_, referenceFlash_, script);
  }

 private:
  sim::NandFlash chipFlash_;
  sim::NandFlash referenceFlash_;
  fx2::ChipBridge chip_;
  sim::ReferenceBridge reference_;
  bool chipStarted_ = false;
  bool referenceStarted_ = false;
};

}  // namespace firmware_test
