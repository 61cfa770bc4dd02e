#pragma once
// The wires between the chip and the flash: FD[7:0], CTL0 = WE#, CTL1 = RE#, RDY0 = R/B#,
// port A bit 7 = CLE, bit 6 = ALE. Turns pin edges into the flash model's bus cycles: a
// byte is latched on the rising edge of WE# (a command with CLE high, an address with ALE
// high, data with neither), and the flash drives a read byte after the falling edge of RE#.
// A latch line whose port pin is not an output floats; the board pulls it low.
#include <cstdint>
#include <vector>

#include "sim/nand/nand_flash.h"

namespace fx2 {

struct PinEvent {
  sim::SimTime time;
  std::uint8_t ctl;  // CTL5..CTL0 levels
  bool fdDriven;     // the chip drives FD[7:0]
  std::uint8_t fd;   // the level on FD[7:0]
};

class NandPins {
 public:
  static constexpr std::uint8_t WE = 0x01;  // CTL0
  static constexpr std::uint8_t RE = 0x02;  // CTL1

  explicit NandPins(sim::NandFlash& flash) : flash_(flash) {}

  sim::NandFlash& flash() { return flash_; }

  // CTL lines as the GPIF drives them; an edge of WE# or RE# becomes a bus cycle.
  void setCtl(std::uint8_t levels, sim::SimTime now) {
    const std::uint8_t changed = levels ^ ctl_;
    if (!changed) return;
    const std::uint8_t old = ctl_;
    ctl_ = levels;
    if ((changed & RE) && !(levels & RE)) {
      readByte_ = flash_.dataReadCycle(now);
      flashDrives_ = true;
    } else if ((changed & RE) && (levels & RE)) {
      flashDrives_ = false;
    }
    if ((changed & WE) && (levels & WE) && !(old & WE)) latch(now);
    if (trace_) record(now);
  }
  std::uint8_t ctl() const { return ctl_; }

  void driveBus(bool driven, std::uint8_t value, sim::SimTime now) {
    if (driven == chipDrives_ && value == chipValue_) return;
    chipDrives_ = driven;
    chipValue_ = value;
    if (trace_) record(now);
  }
  // The byte on FD[7:0]: the flash's while RE# is low, else the chip's, else the pull-ups.
  std::uint8_t bus() const {
    if (flashDrives_) return readByte_;
    return chipDrives_ ? chipValue_ : 0xFF;
  }
  bool chipDrivesBus() const { return chipDrives_; }

  // Port A pins: `levels` as IOA holds them, `outputs` as OEA.
  void setPortA(std::uint8_t levels, std::uint8_t outputs) {
    cle_ = (outputs & 0x80) && (levels & 0x80);
    ale_ = (outputs & 0x40) && (levels & 0x40);
  }
  bool cle() const { return cle_; }
  bool ale() const { return ale_; }

  bool ready(sim::SimTime now) const { return flash_.isReady(now); }
  sim::SimTime readyTime() const { return flash_.readyTime(); }

  void enableTrace(bool on) { trace_ = on; }
  bool tracing() const { return trace_; }
  const std::vector<PinEvent>& trace() const { return events_; }
  void clearTrace() { events_.clear(); }

 private:
  void latch(sim::SimTime now) {
    const std::uint8_t value = bus();
    if (cle_)
      flash_.commandCycle(value, now);
    else if (ale_)
      flash_.addressCycle(value, now);
    else
      flash_.dataWriteCycle(value, now);
  }
  void record(sim::SimTime now) { events_.push_back({now, ctl_, chipDrives_, bus()}); }

  sim::NandFlash& flash_;
  std::uint8_t ctl_ = 0x3F;
  bool chipDrives_ = false;
  std::uint8_t chipValue_ = 0xFF;
  bool flashDrives_ = false;
  std::uint8_t readByte_ = 0xFF;
  bool cle_ = false;
  bool ale_ = false;
  bool trace_ = false;
  std::vector<PinEvent> events_;
};

}  // namespace fx2
