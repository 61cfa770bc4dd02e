#include "sim/fx2/fx2_chip.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "sim/fx2/fx2_registers.h"

namespace fx2 {

struct ChipHooks {
  static Fx2Chip& chip(void* c) { return *static_cast<Fx2Chip*>(c); }
  static std::uint8_t sfrRead(void* c, std::uint8_t a) { return chip(c).readSfr(a); }
  static std::uint8_t sfrReadLatch(void* c, std::uint8_t a) {
    Fx2Chip& f = chip(c);
    // Read-modify-write instructions see a port's latch, not its pins.
    if (a == sfr::IOA || a == sfr::IOB || a == sfr::IOC || a == sfr::IOD || a == sfr::IOE)
      return f.sfrs_[a - 0x80];
    return f.readSfr(a);
  }
  static void sfrWrite(void* c, std::uint8_t a, std::uint8_t v) { chip(c).writeSfr(a, v); }
  static std::uint8_t xdataRead(void* c, std::uint16_t a) { return chip(c).readXdata(a); }
  static void xdataWrite(void* c, std::uint16_t a, std::uint8_t v) { chip(c).writeXdata(a, v); }
  static std::uint16_t vectorTarget(void* c, std::uint16_t v) { return chip(c).vectorTarget(v); }
};

Fx2Chip::Fx2Chip(sim::NandFlash& flash)
    : pins_(flash), gpif_(pins_, eps_), ram_(RAM_SIZE, 0) {
  core_.setMemory(ram_.data(), RAM_SIZE);
  mcs51::CoreHooks hooks;
  hooks.context = this;
  hooks.sfrRead = &ChipHooks::sfrRead;
  hooks.sfrReadLatch = &ChipHooks::sfrReadLatch;
  hooks.sfrWrite = &ChipHooks::sfrWrite;
  hooks.xdataRead = &ChipHooks::xdataRead;
  hooks.xdataWrite = &ChipHooks::xdataWrite;
  hooks.vectorTarget = &ChipHooks::vectorTarget;
  core_.setHooks(hooks);
  resetRegisters();
  cpucs_ = 0x03;
  setCpuClock(cpucs_);
}

// Register values after power-up or a CPU reset release. RAM keeps its contents.
void Fx2Chip::resetRegisters() {
  std::memset(xreg_, 0, sizeof xreg_);
  std::memset(sfrs_, 0, sizeof sfrs_);
  xreg_[xreg::IFCONFIG - 0xE600] = 0x80;
  xreg_[xreg::EP2CFG - 0xE600] = 0xA2;
  xreg_[xreg::EP4CFG - 0xE600] = 0xA0;
  xreg_[xreg::EP6CFG - 0xE600] = 0xE2;
  xreg_[xreg::EP8CFG - 0xE600] = 0xE0;
  for (unsigned i = 0; i < 4; ++i) {
    xreg_[xreg::EP2FIFOCFG - 0xE600 + i] = 0x05;
    xreg_[xreg::EP2AUTOINLENH - 0xE600 + 2 * i] = 0x02;  // 512 (unverified reset value)
    eps_[i]->configure(i >= 2, 2);
    eps_[i]->reset();
    eps_[i]->setFifoConfig(0x05);
    eps_[i]->setAutoInLength(512);
  }
  sfrs_[sfr::AUTOPTRSETUP - 0x80] = 0x06;
  gpif_.reset();
  gpif_.driveIdle(now_);
  usbirq_ = usbie_ = gpifie_ = intsetup_ = 0;
  lastInt2_ = lastInt4_ = 0;
  ep0cs_ = 0;
  wakeupcs_ = 0x04;
  usbcs_ = 0;
  pins_.setPortA(0, 0);
  updateIfclk();
}

void Fx2Chip::setCpuClock(std::uint8_t cpucs) {
  static const sim::SimTime perCycle[4] = {80, 40, 20, 80};  // 12, 24, 48 MHz; 11 reserved
  const sim::SimTime t = accessTime();
  cpuTimeBase_ = t;
  cpuCycleBase_ = core_.cycles();
  ticksPerCycle_ = perCycle[(cpucs >> 3) & 3];
}

void Fx2Chip::updateIfclk() {
  const std::uint8_t ifc = xreg_[xreg::IFCONFIG - 0xE600];
  if (!(ifc & bits::IFCONFIG_IFCLKSRC))
    gpif_.setClockPeriod(0);  // external IFCLK: nothing drives it on this board
  else
    gpif_.setClockPeriod(ifc & bits::IFCONFIG_3048MHZ ? sim::ticksPerPeriod(48'000'000)
                                                      : sim::ticksPerPeriod(30'000'000));
}

void Fx2Chip::releaseCpu() {
  resetRegisters();
  core_.reset();
  setCpuClock(cpucs_);
  cpuTimeBase_ = now_;
  cpuCycleBase_ = core_.cycles();
}

bool Fx2Chip::firmwareLoad(std::uint16_t address, const std::uint8_t* data,
                           std::uint16_t length, std::string& error) {
  const std::uint32_t end = std::uint32_t(address) + length;
  if (length == 0) return true;
  if (!data) {
    error = "request 0xA0: no data";
    return false;
  }
  if (address == xreg::CPUCS && length == 1) {
    const bool wasHeld = cpuHeldInReset();
    cpucs_ = data[0];
    setCpuClock(cpucs_);
    if (wasHeld && !cpuHeldInReset()) releaseCpu();
    return true;
  }
  if (end <= RAM_SIZE) {
    std::memcpy(ram_.data() + address, data, length);
    return true;
  }
  if (address >= 0xE000 && end <= 0xE200) {
    std::memcpy(scratch_ + (address - 0xE000), data, length);
    return true;
  }
  char text[120];
  std::snprintf(text, sizeof text,
                "request 0xA0: 0x%04X-0x%04X is neither RAM nor CPUCS", unsigned(address),
                unsigned(end - 1));
  error = text;
  return false;
}

EndpointFifo* Fx2Chip::endpoint(unsigned number) {
  switch (number) {
    case 2: return &ep2_;
    case 4: return &ep4_;
    case 6: return &ep6_;
    case 8: return &ep8_;
    default: return nullptr;
  }
}

bool Fx2Chip::nakAll() const { return (xreg_[xreg::FIFORESET - 0xE600] & 0x80) != 0; }

bool Fx2Chip::endpointConfigured(unsigned number, bool in) const {
  if (number < 2 || number > 8 || (number & 1)) return false;
  const std::uint8_t cfg = xreg_[xreg::EP2CFG - 0xE600 + (number - 2) / 2];
  return (cfg & bits::EPCFG_VALID) && ((cfg & bits::EPCFG_DIR_IN) != 0) == in;
}

std::uint64_t Fx2Chip::usbChanges() const {
  return ep2_.changes() + ep4_.changes() + ep6_.changes() + ep8_.changes() + statusStages_;
}

// --- interrupts ---

std::uint8_t Fx2Chip::int4Pending() const {
  if (!(intsetup_ & bits::INTSETUP_INT4SRC)) return 0;
  return gpif_.irq & gpifie_ & 0x03;
}

// A request that becomes pending, or one still pending after another was cleared, sets the
// core's flag (EXIF.4 / EXIF.6) again.
void Fx2Chip::updateInt2(bool cleared) {
  const std::uint8_t p = int2Pending();
  if ((p & ~lastInt2_) || (cleared && p)) core_.raise(mcs51::Interrupt::Int2);
  lastInt2_ = p;
}

void Fx2Chip::updateInt4(bool cleared) {
  const std::uint8_t p = int4Pending();
  if ((p & ~lastInt4_) || (cleared && p)) core_.raise(mcs51::Interrupt::Int4);
  lastInt4_ = p;
}

std::uint8_t Fx2Chip::int2Offset() const {
  const std::uint8_t p = int2Pending();
  for (unsigned b = 0; b < 7; ++b)
    if (p & (1u << b)) return static_cast<std::uint8_t>(4 * b);
  return 0;
}

std::uint8_t Fx2Chip::int4Offset() const {
  const std::uint8_t p = int4Pending();
  if (p & bits::GPIF_IRQ_DONE) return 0xB0;
  if (p & bits::GPIF_IRQ_WF) return 0xB4;
  return 0x80;
}

// Autovectoring: the jump at 0x43 / 0x53 goes to its own target with the low byte replaced
// by the source's offset.
std::uint16_t Fx2Chip::vectorTarget(std::uint16_t vector) {
  catchUp();
  if (vector == 0x43 && (intsetup_ & bits::INTSETUP_AV2EN))
    return static_cast<std::uint16_t>(ram_[0x44] << 8 | int2Offset());
  if (vector == 0x53 && (intsetup_ & bits::INTSETUP_AV4EN) &&
      (intsetup_ & bits::INTSETUP_INT4SRC))
    return static_cast<std::uint16_t>(ram_[0x54] << 8 | int4Offset());
  return vector;
}

void Fx2Chip::setUsbIrq(std::uint8_t b) {
  usbirq_ |= b;
  updateInt2(false);
}

// --- USB events from the host ---

void Fx2Chip::deliverSetup(const std::uint8_t packet[8]) {
  std::memcpy(setup_, packet, 8);
  hsnak_ = true;
  ep0DataLength_ = -1;
  ep0cs_ &= ~bits::EP0CS_STALL;
  setUsbIrq(usbirq::SUTOK);
  setUsbIrq(usbirq::SUDAV);
}

void Fx2Chip::deliverBusReset() {
  busSuspended_ = false;
  if (suspended_) wake();
  setUsbIrq(usbirq::URES);
  setUsbIrq(usbirq::HSGRANT);
}

void Fx2Chip::deliverSuspend() {
  busSuspended_ = true;
  setUsbIrq(usbirq::SUSP);
}

void Fx2Chip::deliverResume() {
  busSuspended_ = false;
  if (suspended_) wake();
}

void Fx2Chip::wakeupPin(unsigned pin) {
  const std::uint8_t flag = pin == 2 ? bits::WAKEUPCS_WU2 : bits::WAKEUPCS_WU;
  const std::uint8_t enable = pin == 2 ? bits::WAKEUPCS_WU2EN : bits::WAKEUPCS_WUEN;
  wakeupcs_ |= flag;
  if (suspended_ && (wakeupcs_ & enable)) wake();
}

void Fx2Chip::enterSuspend() {
  suspended_ = true;
  ++suspendCount_;
}

void Fx2Chip::wake() {
  suspended_ = false;
  core_.raise(mcs51::Interrupt::Resume);
}

std::uint16_t Fx2Chip::gpifAddressPins(bool& allDriven) const {
  const std::uint8_t pcCfg = xreg_[xreg::PORTCCFG - 0xE600];
  const std::uint8_t peCfg = xreg_[xreg::PORTECFG - 0xE600];
  const std::uint8_t oec = sfrs_[sfr::OEC - 0x80], oee = sfrs_[sfr::OEE - 0x80];
  allDriven = (pcCfg & oec) == 0xFF && (peCfg & oee & 0x80);
  return gpif_.address & 0x1FF;
}

// --- time ---

void Fx2Chip::catchUp() {
  gpif_.advanceTo(accessTime());
  if (gpif_.irqEvents() != gpifIrqEvents_) {
    gpifIrqEvents_ = gpif_.irqEvents();
    updateInt4(false);
  }
}

void Fx2Chip::runUntil(sim::SimTime target, bool stopOnUsbChange) {
  const std::uint64_t changes = stopOnUsbChange ? usbChanges() : 0;
  while (now_ < target) {
    sim::SimTime end = std::min({target, now_ + SLICE, nextSof_});
    if (cpuRunning() && core_.stopReason() == mcs51::StopReason::None) {
      const sim::SimTime from = cpuNow();
      if (from < end) {
        const std::uint64_t limit =
            cpuCycleBase_ + (end - cpuTimeBase_ + ticksPerCycle_ - 1) / ticksPerCycle_;
        inCore_ = true;
        core_.run(limit);
        inCore_ = false;
      }
    } else {
      // A core that is not running keeps its time in step with the chip.
      cpuTimeBase_ = end;
      cpuCycleBase_ = core_.cycles();
    }
    now_ = end;
    catchUp();
    if (now_ >= nextSof_) {
      nextSof_ += MICROFRAME;
      if (!busSuspended_) {
        setUsbIrq(usbirq::SOF);
        // A chip that suspended itself on a busy bus wakes at the next bus activity.
        if (suspended_) wake();
      }
    }
    if (stopOnUsbChange && usbChanges() != changes) return;
  }
}

std::string Fx2Chip::describe() const {
  std::string s;
  char text[120];
  if (cpuHeldInReset()) {
    s = "CPU held in reset (CPUCS bit 0)";
  } else if (core_.stopReason() != mcs51::StopReason::None) {
    std::snprintf(text, sizeof text, "CPU stopped at a reserved opcode at 0x%04X",
                  unsigned(core_.stopAddress()));
    s = text;
  }
  if (suspended_) s += s.empty() ? "chip in USB suspend" : "; chip in USB suspend";
  if (nakAll()) s += s.empty() ? "all endpoints NAKed (NAKALL)" : "; all endpoints NAKed (NAKALL)";
  const std::string g = gpif_.describe(now_);
  s = s.empty() ? g : g + "; " + s;
  if (!cpuHeldInReset()) {
    std::snprintf(text, sizeof text, "; CPU at PC 0x%04X%s", unsigned(core_.pc()),
                  core_.idle() ? " (idle)" : "");
    s += text;
  }
  if (gpif_.ignoredTriggers()) {
    std::snprintf(text, sizeof text, "; %llu GPIF triggers ignored while busy",
                  static_cast<unsigned long long>(gpif_.ignoredTriggers()));
    s += text;
  }
  return s;
}

}  // namespace fx2
