#pragma once
// The firmware on the chip model alone, for the cases that need a look inside: its
// variables in internal RAM, the chip's registers and the flash's trace.
#include <cstdint>
#include <vector>

#include "bridge_script.h"
#include "firmware_symbols.h"
#include "sim/fx2/chip_bridge.h"
#include "sim/nand/nand_flash.h"

namespace firmware_test {

class ChipSession {
 public:
  explicit ChipSession(sim::SimTime startPause = sim::milliseconds(5)) : bridge_(flash_) {
    flash_.useMemoryImage();
    started_ = startBridge(bridge_, startPause);
    flash_.enableTrace(true);
  }

  bool started() const { return started_; }
  fx2::ChipBridge& bridge() { return bridge_; }
  fx2::Fx2Chip& chip() { return bridge_.chip(); }
  sim::NandFlash& flash() { return flash_; }

  bool send(std::vector<std::uint8_t> packet) {
    return bridge_.bulkOut(0x04, packet.data(), static_cast<std::uint32_t>(packet.size()));
  }
  bool sendData(std::vector<std::uint8_t> bytes) {
    return bridge_.bulkOut(0x02, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
  }
  std::vector<std::uint8_t> receive(std::uint32_t count) {
    std::vector<std::uint8_t> bytes(count);
    std::uint32_t got = 0;
    bridge_.bulkIn(0x88, bytes.data(), count, got);
    bytes.resize(got);
    return bytes;
  }
  void run(sim::SimTime duration) { chip().runFor(duration); }

  std::uint16_t waitPolls() { return word(firmware_symbols::waitPolls); }
  std::uint16_t readCount() { return word(firmware_symbols::readCount); }
  std::uint8_t longWriteArmed() { return chip().core().iram(firmware_symbols::longWriteArmed); }

  // Runs for `duration` in small steps and returns the highest waitPolls seen: the count a
  // pass reached before the next pass set it back to 0.
  std::uint16_t highestWaitPolls(sim::SimTime duration) {
    std::uint16_t highest = 0;
    const sim::SimTime end = chip().now() + duration;
    while (chip().now() < end) {
      chip().runFor(sim::microseconds(2));
      if (waitPolls() > highest) highest = waitPolls();
    }
    return highest;
  }

  std::vector<BusEvent> bus() const {
    std::vector<BusEvent> events;
    for (const sim::BusCycle& c : flash_.trace()) events.push_back({c.kind, c.value});
    return events;
  }

 private:
  std::uint16_t word(std::uint8_t address) {
    return static_cast<std::uint16_t>(chip().core().iram(address) |
                                      chip().core().iram(address + 1) << 8);
  }

  sim::NandFlash flash_;
  fx2::ChipBridge bridge_;
  bool started_ = false;
};

}  // namespace firmware_test
