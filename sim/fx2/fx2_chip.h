#pragma once
// The EZ-USB FX2 around the 8051 core: 16 KB of unified code/data RAM, the register space,
// the waveform memory, the endpoint buffers and FIFOs, the GPIF wired to the flash pins,
// the USB and FIFO/GPIF interrupts with autovectoring, suspend and resume, and the USB core's
// own firmware load (request 0xA0). Everything runs on one simulated clock.
//
// Scheduling: the core runs in slices of at most SLICE; before the CPU touches any chip
// register the GPIF is brought up to the CPU's time, so polling loops see exact flags. Host
// actions (packets, setup, suspend, ...) happen between slices, and a GPIF interrupt request
// reaches the core at its next chip access or at the end of the slice, whichever is first.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/fx2/endpoint_fifo.h"
#include "sim/fx2/gpif.h"
#include "sim/fx2/nand_pins.h"
#include "sim/mcs51/mcs51_core.h"
#include "sim/nand/nand_flash.h"
#include "sim/sim_time.h"

namespace fx2 {

struct UnmodelledWrite {
  std::uint16_t address;  // SFR address (0x80-0xFF) when `sfr`, else external-data address
  bool sfr;
  std::uint8_t value;
  sim::SimTime time;
};

struct ResumeSignal {
  sim::SimTime start;
  sim::SimTime end;
};

class Fx2Chip {
 public:
  static constexpr std::uint32_t RAM_SIZE = 0x4000;
  static constexpr sim::SimTime SLICE = sim::microseconds(5);
  static constexpr sim::SimTime MICROFRAME = sim::microseconds(125);

  explicit Fx2Chip(sim::NandFlash& flash);
  Fx2Chip(const Fx2Chip&) = delete;
  Fx2Chip& operator=(const Fx2Chip&) = delete;

  // --- USB core, no firmware involved ---
  // Request 0xA0: writes RAM (0x0000-0x3FFF, 0xE000-0xE1FF) or CPUCS. Bit 0 of CPUCS holds
  // the 8051 in reset; clearing it restarts the core at 0x0000 with reset register values.
  bool firmwareLoad(std::uint16_t address, const std::uint8_t* data, std::uint16_t length,
                    std::string& error);
  bool cpuHeldInReset() const { return (cpucs_ & 0x01) != 0; }

  // --- host-side events ---
  void deliverSetup(const std::uint8_t packet[8]);
  void deliverBusReset();
  void deliverSuspend();
  void deliverResume();
  bool busSuspended() const { return busSuspended_; }
  void wakeupPin(unsigned pin);  // 1: WAKEUP, 2: WU2

  // The endpoint with USB number 2, 4, 6 or 8; null for any other.
  EndpointFifo* endpoint(unsigned number);
  bool nakAll() const;
  bool endpointConfigured(unsigned number, bool in) const;
  std::uint64_t usbChanges() const;

  // EP0 as the host sees it: the firmware's data stage (-1 when none armed) and whether the
  // handshake is still held off (HSNAK).
  bool ep0HandshakePending() const { return hsnak_; }
  int ep0DataLength() const { return ep0DataLength_; }
  bool ep0Stalled() const { return (ep0cs_ & 0x01) != 0; }
  unsigned ep0StatusStages() const { return statusStages_; }

  // --- time ---
  sim::SimTime now() const { return now_; }
  // Runs core, GPIF and flash up to `target`; with `stopOnUsbChange`, returns early after a
  // slice in which an endpoint changed hands (a packet committed, a buffer armed).
  void runUntil(sim::SimTime target, bool stopOnUsbChange = false);
  void runFor(sim::SimTime duration) { runUntil(now_ + duration); }

  // --- the CPU's view of the chip (what MOVX and SFR accesses do), usable by tests ---
  std::uint8_t readXdata(std::uint16_t address);
  void writeXdata(std::uint16_t address, std::uint8_t value);
  std::uint8_t readSfr(std::uint8_t address);
  void writeSfr(std::uint8_t address, std::uint8_t value);

  // --- introspection ---
  mcs51::Core& core() { return core_; }
  Gpif& gpif() { return gpif_; }
  NandPins& pins() { return pins_; }
  std::uint8_t* ram() { return ram_.data(); }
  const std::vector<UnmodelledWrite>& unmodelledWrites() const { return unmodelled_; }
  bool usbSuspended() const { return suspended_; }
  unsigned suspendCount() const { return suspendCount_; }
  const std::vector<ResumeSignal>& resumeSignals() const { return resumeSignals_; }
  sim::SimTime cpuCyclePeriod() const { return ticksPerCycle_; }
  // Port C and port E bit 7 as GPIF address pins: the 9-bit level and whether all nine are
  // driven by the GPIF.
  std::uint16_t gpifAddressPins(bool& allDriven) const;
  // Where the bridge stands, for stall reports.
  std::string describe() const;

 private:
  friend struct ChipHooks;
  void resetRegisters();
  void releaseCpu();
  bool cpuRunning() const { return !cpuHeldInReset(); }
  sim::SimTime cpuNow() const {
    return cpuTimeBase_ + (core_.cycles() - cpuCycleBase_) * ticksPerCycle_;
  }
  sim::SimTime accessTime() const { return inCore_ ? cpuNow() : now_; }
  void catchUp();
  void setCpuClock(std::uint8_t cpucs);
  void updateIfclk();
  // Interrupt requests.
  std::uint8_t int2Pending() const { return usbirq_ & usbie_ & 0x7F; }
  std::uint8_t int4Pending() const;
  void updateInt2(bool cleared);
  void updateInt4(bool cleared);
  std::uint8_t int2Offset() const;
  std::uint8_t int4Offset() const;
  std::uint16_t vectorTarget(std::uint16_t vector);
  void setUsbIrq(std::uint8_t bits);
  void enterSuspend();
  void wake();
  // Register file.
  std::uint8_t readRegister(std::uint16_t address);
  void writeRegister(std::uint16_t address, std::uint8_t value);
  void recordUnmodelled(std::uint16_t address, bool sfr, std::uint8_t value);
  EndpointFifo& epByIndex(unsigned index) { return *eps_[index]; }
  int epIndexOf(std::uint16_t address, std::uint16_t base, unsigned stride) const;
  std::uint8_t autoData(unsigned pointer, bool write, std::uint8_t value);

  NandPins pins_;
  EndpointFifo ep2_{2}, ep4_{4}, ep6_{6}, ep8_{8};
  EndpointFifo* eps_[4] = {&ep2_, &ep4_, &ep6_, &ep8_};
  Gpif gpif_;
  mcs51::Core core_;
  std::vector<std::uint8_t> ram_;
  std::uint8_t scratch_[0x200]{};
  std::uint8_t ep01buf_[0xC0]{};   // EP0BUF, EP1OUTBUF, EP1INBUF
  std::uint8_t xreg_[0x100]{};     // plain storage for the 0xE600 page
  std::uint8_t sfrs_[0x80]{};      // the chip's SFRs that the core does not hold
  std::uint8_t setup_[8]{};

  std::uint8_t cpucs_ = 0x03;      // held in reset at power-up (no boot EEPROM)
  std::uint8_t usbirq_ = 0, usbie_ = 0, gpifie_ = 0, intsetup_ = 0;
  std::uint8_t lastInt2_ = 0, lastInt4_ = 0;
  std::uint8_t ep0cs_ = 0;
  bool hsnak_ = false;
  int ep0DataLength_ = -1;
  unsigned statusStages_ = 0;
  std::uint8_t wakeupcs_ = 0x04;
  std::uint8_t usbcs_ = 0;
  bool suspended_ = false;
  bool busSuspended_ = false;
  unsigned suspendCount_ = 0;
  sim::SimTime resumeStart_ = 0;
  std::vector<ResumeSignal> resumeSignals_;
  std::vector<UnmodelledWrite> unmodelled_;
  std::uint64_t gpifIrqEvents_ = 0;

  sim::SimTime now_ = 0;
  sim::SimTime nextSof_ = MICROFRAME;
  sim::SimTime cpuTimeBase_ = 0;
  std::uint64_t cpuCycleBase_ = 0;
  sim::SimTime ticksPerCycle_ = 80;  // 12 MHz, 4 clocks per cycle
  bool inCore_ = false;
};

}  // namespace fx2
