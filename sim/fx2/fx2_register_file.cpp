// The chip's registers as the CPU reads and writes them: external-data space (RAM, waveform
// memory, the 0xE600 page, EP0/EP1 buffers, the endpoint FIFO windows) and the chip's SFRs.
#include <cstring>

#include "sim/fx2/fx2_chip.h"
#include "sim/fx2/fx2_registers.h"

namespace fx2 {

namespace {
constexpr std::uint16_t PAGE = 0xE600;
inline bool gpifMaster(const std::uint8_t* xreg) {
  return (xreg[xreg::IFCONFIG - PAGE] & bits::IFCONFIG_IFCFG) == bits::IFCFG_GPIF_MASTER;
}
}  // namespace

void Fx2Chip::recordUnmodelled(std::uint16_t address, bool sfr, std::uint8_t value) {
  unmodelled_.push_back({address, sfr, value, accessTime()});
}

int Fx2Chip::epIndexOf(std::uint16_t address, std::uint16_t base, unsigned stride) const {
  if (address < base) return -1;
  const unsigned d = address - base;
  if (d % stride || d / stride > 3) return -1;
  return static_cast<int>(d / stride);
}

std::uint8_t Fx2Chip::readXdata(std::uint16_t a) {
  if (a < RAM_SIZE) return ram_[a];
  if (a >= 0xF000) {
    catchUp();
    return eps_[(a - 0xF000) >> 10]->cpuBuffer()[a & (EndpointFifo::BUFFER_SIZE - 1)];
  }
  if (a >= 0xE000 && a < 0xE200) return scratch_[a - 0xE000];
  if (a >= xreg::GPIF_WAVE_DATA && a < xreg::GPIF_WAVE_DATA + 0x80)
    return gpifMaster(xreg_) ? gpif_.waveData[a - xreg::GPIF_WAVE_DATA] : 0xFF;
  if (a >= PAGE && a < PAGE + 0x100) {
    catchUp();
    return readRegister(a);
  }
  if (a >= xreg::EP0BUF && a < xreg::EP0BUF + 0xC0) return ep01buf_[a - xreg::EP0BUF];
  return 0xFF;
}

void Fx2Chip::writeXdata(std::uint16_t a, std::uint8_t v) {
  if (a < RAM_SIZE) {
    ram_[a] = v;
    return;
  }
  if (a >= 0xF000) {
    catchUp();
    eps_[(a - 0xF000) >> 10]->cpuBuffer()[a & (EndpointFifo::BUFFER_SIZE - 1)] = v;
    return;
  }
  if (a >= 0xE000 && a < 0xE200) {
    scratch_[a - 0xE000] = v;
    return;
  }
  if (a >= xreg::GPIF_WAVE_DATA && a < xreg::GPIF_WAVE_DATA + 0x80) {
    // Waveform memory answers only in GPIF master mode; a write before that goes nowhere.
    if (gpifMaster(xreg_))
      gpif_.waveData[a - xreg::GPIF_WAVE_DATA] = v;
    else
      recordUnmodelled(a, false, v);
    return;
  }
  if (a >= PAGE && a < PAGE + 0x100) {
    catchUp();
    writeRegister(a, v);
    return;
  }
  if (a >= xreg::EP0BUF && a < xreg::EP0BUF + 0xC0) {
    ep01buf_[a - xreg::EP0BUF] = v;
    return;
  }
  recordUnmodelled(a, false, v);
}

std::uint8_t Fx2Chip::autoData(unsigned pointer, bool write, std::uint8_t value) {
  const std::uint8_t setup = sfrs_[sfr::AUTOPTRSETUP - 0x80];
  const std::uint8_t hi = pointer == 1 ? sfr::AUTOPTRH1 : sfr::AUTOPTRH2;
  const std::uint8_t lo = pointer == 1 ? sfr::AUTOPTRL1 : sfr::AUTOPTRL2;
  if (!(setup & bits::AUTOPTR_APTREN)) {
    if (write) recordUnmodelled(pointer == 1 ? xreg::XAUTODAT1 : xreg::XAUTODAT2, false, value);
    return 0xFF;
  }
  const std::uint16_t address =
      static_cast<std::uint16_t>(sfrs_[hi - 0x80] << 8 | sfrs_[lo - 0x80]);
  std::uint8_t result = value;
  // The pointers reach everything but the auto-data registers themselves.
  if (address != xreg::XAUTODAT1 && address != xreg::XAUTODAT2) {
    if (write)
      writeXdata(address, value);
    else
      result = readXdata(address);
  }
  if (setup & (pointer == 1 ? bits::AUTOPTR_APTR1INC : bits::AUTOPTR_APTR2INC)) {
    const std::uint16_t next = static_cast<std::uint16_t>(address + 1);
    sfrs_[hi - 0x80] = static_cast<std::uint8_t>(next >> 8);
    sfrs_[lo - 0x80] = static_cast<std::uint8_t>(next);
  }
  return result;
}

std::uint8_t Fx2Chip::readRegister(std::uint16_t a) {
  const unsigned r = a - PAGE;
  if (a >= xreg::SETUPDAT && a < xreg::SETUPDAT + 8) return setup_[a - xreg::SETUPDAT];
  if (int i = epIndexOf(a, xreg::EP2BCH, 4); i >= 0) {
    const unsigned n = eps_[i]->currentLength();
    return static_cast<std::uint8_t>(n >> 8);
  }
  if (int i = epIndexOf(a, xreg::EP2BCL, 4); i >= 0)
    return static_cast<std::uint8_t>(eps_[i]->currentLength());
  if (int i = epIndexOf(a, xreg::EP2CS, 1); i >= 0) {
    const EndpointFifo& ep = *eps_[i];
    return static_cast<std::uint8_t>((std::min(ep.packetCount(), 7u) << 4) |
                                     (ep.fullFlag() ? 0x08 : 0) | (ep.emptyFlag() ? 0x04 : 0));
  }
  switch (a) {
    case xreg::CPUCS: return cpucs_;
    case xreg::USBIRQ: return usbirq_;
    case xreg::USBIE: return usbie_;
    case xreg::GPIFIRQ: return gpif_.irq;
    case xreg::GPIFIE: return gpifie_;
    case xreg::INTSETUP: return intsetup_;
    case xreg::INT2IVEC: return int2Offset();
    case xreg::INT4IVEC: return int4Offset();
    case xreg::USBCS: return static_cast<std::uint8_t>(usbcs_ | bits::USBCS_HSM);
    case xreg::WAKEUPCS: return wakeupcs_;
    case xreg::EP0CS: return static_cast<std::uint8_t>(ep0cs_ | (hsnak_ ? bits::EP0CS_HSNAK : 0));
    case xreg::XAUTODAT1: return autoData(1, false, 0);
    case xreg::XAUTODAT2: return autoData(2, false, 0);
    case xreg::GPIFWFSELECT: return gpif_.wfSelect;
    case xreg::GPIFIDLECS: return gpif_.idleCs;
    case xreg::GPIFIDLECTL: return gpif_.idleCtl;
    case xreg::GPIFCTLCFG: return gpif_.ctlCfg;
    case xreg::GPIFREADYCFG: return gpif_.readyCfg;
    case xreg::GPIFREADYSTAT: return pins_.ready(accessTime()) ? 0x01 : 0x00;
    case xreg::GPIFADRH: return static_cast<std::uint8_t>(gpif_.address >> 8 & 1);
    case xreg::GPIFADRL: return static_cast<std::uint8_t>(gpif_.address);
    case xreg::GPIFTCB3: return static_cast<std::uint8_t>(gpif_.count >> 24);
    case xreg::GPIFTCB2: return static_cast<std::uint8_t>(gpif_.count >> 16);
    case xreg::GPIFTCB1: return static_cast<std::uint8_t>(gpif_.count >> 8);
    case xreg::GPIFTCB0: return static_cast<std::uint8_t>(gpif_.count);
    case xreg::XGPIFSGLDATH: return gpif_.singleHigh;
    case xreg::XGPIFSGLDATLX: {
      const std::uint8_t v = gpif_.singleLow;
      gpif_.startSingle(true, accessTime());
      return v;
    }
    case xreg::XGPIFSGLDATLNOX: return gpif_.singleLow;
    default: return xreg_[r];
  }
}

void Fx2Chip::writeRegister(std::uint16_t a, std::uint8_t v) {
  const unsigned r = a - PAGE;
  const sim::SimTime t = accessTime();
  if (int i = epIndexOf(a, xreg::EP2BCH, 4); i >= 0) {
    xreg_[r] = v;
    return;
  }
  if (int i = epIndexOf(a, xreg::EP2BCL, 4); i >= 0) {
    EndpointFifo& ep = *eps_[i];
    const unsigned high = (xreg_[r - 1] & 0x07) << 8;
    if (ep.isIn())
      ep.writeByteCount(high | v, false);
    else
      ep.writeByteCount(high | (v & 0x7F), (v & bits::BCL_SKIP) != 0);
    return;
  }
  if (int i = epIndexOf(a, xreg::EP2CFG, 1); i >= 0) {
    xreg_[r] = v;
    unsigned buffers = 2;
    if (i == 0 || i == 2) {
      static const unsigned byBuf[4] = {4, 2, 2, 3};
      buffers = byBuf[v & 3];
    }
    eps_[i]->configure((v & bits::EPCFG_DIR_IN) != 0, buffers);
    return;
  }
  if (int i = epIndexOf(a, xreg::EP2FIFOCFG, 1); i >= 0) {
    xreg_[r] = v;
    eps_[i]->setFifoConfig(v);
    return;
  }
  if (a >= xreg::EP2AUTOINLENH && a <= xreg::EP8AUTOINLENL) {
    const bool high = ((a - xreg::EP2AUTOINLENH) & 1) == 0;
    xreg_[r] = high ? v & 0x07 : v;
    const unsigned i = (a - xreg::EP2AUTOINLENH) / 2;
    const unsigned base = xreg::EP2AUTOINLENH - PAGE + 2 * i;
    unsigned len = (xreg_[base] << 8) | xreg_[base + 1];
    if (len == 0 || len > EndpointFifo::BUFFER_SIZE) len = EndpointFifo::BUFFER_SIZE;
    eps_[i]->setAutoInLength(len);
    return;
  }
  if (int i = epIndexOf(a, xreg::EP2GPIFTRIG, 8); i >= 0) {
    gpif_.startFifo(eps_[i]->isIn(), static_cast<unsigned>(i), t);
    return;
  }
  if (int i = epIndexOf(a, xreg::EP2GPIFFLGSEL, 8); i >= 0) {
    xreg_[r] = v;
    gpif_.flagSelect[i] = v & 3;
    return;
  }
  switch (a) {
    case xreg::CPUCS:
      // The CPU cannot reset itself: bit 0 belongs to the host.
      cpucs_ = static_cast<std::uint8_t>((v & ~bits::CPUCS_8051RES) | (cpucs_ & 1));
      setCpuClock(cpucs_);
      return;
    case xreg::IFCONFIG:
      xreg_[r] = v;
      updateIfclk();
      return;
    case xreg::FIFORESET: {
      xreg_[r] = v;
      const unsigned n = v & 0x0F;
      if (EndpointFifo* ep = endpoint(n)) ep->reset();
      return;
    }
    case xreg::INPKTEND:
    case xreg::OUTPKTEND:
      if (EndpointFifo* ep = endpoint(v & 0x0F)) {
        if (ep->isIn() == (a == xreg::INPKTEND)) ep->packetEnd((v & bits::PKTEND_SKIP) != 0);
      }
      return;
    case xreg::USBIE:
      usbie_ = v;
      updateInt2(false);
      return;
    case xreg::USBIRQ:
      usbirq_ &= static_cast<std::uint8_t>(~v);
      updateInt2(true);
      return;
    case xreg::GPIFIE:
      gpifie_ = v & 0x03;
      updateInt4(false);
      return;
    case xreg::GPIFIRQ:
      gpif_.irq &= static_cast<std::uint8_t>(~v);
      updateInt4(true);
      return;
    case xreg::INTSETUP:
      intsetup_ = v;
      updateInt4(false);
      return;
    case xreg::INT2IVEC:
    case xreg::INT4IVEC:
      return;  // read-only
    case xreg::USBCS: {
      const bool was = usbcs_ & bits::USBCS_SIGRSUME;
      usbcs_ = v & 0x0F;
      if (!was && (v & bits::USBCS_SIGRSUME)) resumeStart_ = t;
      if (was && !(v & bits::USBCS_SIGRSUME)) {
        resumeSignals_.push_back({resumeStart_, t});
        busSuspended_ = false;  // the host resumes the bus after remote wake-up
      }
      if (v & 0x0A) recordUnmodelled(a, false, v);  // DISCON, RENUM: not modelled
      return;
    }
    case xreg::SUSPEND:
      enterSuspend();
      return;
    case xreg::WAKEUPCS:
      wakeupcs_ = static_cast<std::uint8_t>((wakeupcs_ & ~v & 0xC0) | (v & 0x3F));
      return;
    case xreg::EP0BCH:
      xreg_[r] = v;
      return;
    case xreg::EP0BCL:
      ep0DataLength_ = (xreg_[xreg::EP0BCH - PAGE] << 8) | v;
      return;
    case xreg::EP0CS:
      ep0cs_ = v & bits::EP0CS_STALL;
      if ((v & bits::EP0CS_HSNAK) && hsnak_) {
        hsnak_ = false;  // the status stage completes
        ++statusStages_;
        setUsbIrq(usbirq::EP0ACK);
      }
      return;
    case xreg::XAUTODAT1:
      autoData(1, true, v);
      return;
    case xreg::XAUTODAT2:
      autoData(2, true, v);
      return;
    case xreg::GPIFWFSELECT: gpif_.wfSelect = v; return;
    case xreg::GPIFIDLECS: gpif_.idleCs = v; return;
    case xreg::GPIFIDLECTL:
      gpif_.idleCtl = v;
      if (gpif_.done()) gpif_.driveIdle(t);
      return;
    case xreg::GPIFCTLCFG: gpif_.ctlCfg = v; return;
    case xreg::GPIFREADYCFG: gpif_.readyCfg = v & 0xE0; return;
    case xreg::GPIFADRH:
      gpif_.address = static_cast<std::uint16_t>((gpif_.address & 0xFF) | (v & 1) << 8);
      return;
    case xreg::GPIFADRL:
      gpif_.address = static_cast<std::uint16_t>((gpif_.address & 0x100) | v);
      return;
    case xreg::GPIFTCB3: gpif_.count = (gpif_.count & 0x00FFFFFFu) | std::uint32_t(v) << 24; return;
    case xreg::GPIFTCB2: gpif_.count = (gpif_.count & 0xFF00FFFFu) | std::uint32_t(v) << 16; return;
    case xreg::GPIFTCB1: gpif_.count = (gpif_.count & 0xFFFF00FFu) | std::uint32_t(v) << 8; return;
    case xreg::GPIFTCB0: gpif_.count = (gpif_.count & 0xFFFFFF00u) | v; return;
    case xreg::XGPIFSGLDATH: gpif_.singleHigh = v; return;
    case xreg::XGPIFSGLDATLX:
      gpif_.singleLow = v;
      gpif_.startSingle(false, t);
      return;
    case xreg::XGPIFSGLDATLNOX: gpif_.singleLow = v; return;
    case xreg::GPIFABORT: gpif_.abort(t); return;
    case xreg::PORTACFG:
    case xreg::PORTCCFG:
    case xreg::PORTECFG:
      xreg_[r] = v;
      return;
    case xreg::REVCTL:
      xreg_[r] = v;
      if (v) recordUnmodelled(a, false, v);  // DYN_OUT / ENH_PKT behaviour is not modelled
      return;
    default:
      xreg_[r] = v;
      recordUnmodelled(a, false, v);
      return;
  }
}

std::uint8_t Fx2Chip::readSfr(std::uint8_t a) {
  switch (a) {
    case sfr::IOA: {
      // Input pins read low: CLE and ALE are pulled down, the rest are not connected.
      const std::uint8_t oe = sfrs_[sfr::OEA - 0x80];
      return sfrs_[a - 0x80] & oe;
    }
    case sfr::EP2468STAT: {
      catchUp();
      std::uint8_t s = 0;
      for (unsigned i = 0; i < 4; ++i) {
        if (eps_[i]->emptyFlag()) s |= static_cast<std::uint8_t>(1u << (2 * i));
        if (eps_[i]->fullFlag()) s |= static_cast<std::uint8_t>(2u << (2 * i));
      }
      return s;
    }
    case sfr::EP24FIFOFLGS:
    case sfr::EP68FIFOFLGS: {
      // Per endpoint: bit 0 full, bit 1 empty, bit 2 programmable (not modelled)
      // (unverified bit order).
      catchUp();
      const unsigned first = a == sfr::EP24FIFOFLGS ? 0 : 2;
      std::uint8_t s = 0;
      for (unsigned k = 0; k < 2; ++k) {
        const EndpointFifo& ep = *eps_[first + k];
        const bool full = ep.isIn() ? !ep.fifoHasRoom() : ep.fullFlag();
        const bool empty = ep.isIn() ? ep.emptyFlag() : !ep.fifoHasByte();
        s |= static_cast<std::uint8_t>(((full ? 1 : 0) | (empty ? 2 : 0)) << (4 * k));
      }
      return s;
    }
    case sfr::GPIFTRIG:
      catchUp();
      return static_cast<std::uint8_t>((gpif_.done() ? bits::GPIFTRIG_DONE : 0) | gpif_.trigBits);
    case sfr::GPIFSGLDATH: return gpif_.singleHigh;
    case sfr::GPIFSGLDATLX: {
      catchUp();
      const std::uint8_t v = gpif_.singleLow;
      gpif_.startSingle(true, accessTime());
      return v;
    }
    case sfr::GPIFSGLDATLNOX: catchUp(); return gpif_.singleLow;
    case sfr::INT2CLR:
    case sfr::INT4CLR: return 0;  // write-only
    default: return sfrs_[a - 0x80];
  }
}

void Fx2Chip::writeSfr(std::uint8_t a, std::uint8_t v) {
  switch (a) {
    case sfr::IOA:
    case sfr::OEA:
      sfrs_[a - 0x80] = v;
      pins_.setPortA(sfrs_[sfr::IOA - 0x80], sfrs_[sfr::OEA - 0x80]);
      return;
    case sfr::IOB: case sfr::IOC: case sfr::IOD: case sfr::IOE:
    case sfr::OEB: case sfr::OEC: case sfr::OED: case sfr::OEE:
    case sfr::AUTOPTRH1: case sfr::AUTOPTRL1: case sfr::AUTOPTRH2: case sfr::AUTOPTRL2:
      sfrs_[a - 0x80] = v;
      return;
    case sfr::AUTOPTRSETUP:
      sfrs_[a - 0x80] = v & 0x07;
      return;
    case sfr::INT2CLR:
      // Clears the request of the source currently vectored.
      if (const std::uint8_t p = int2Pending()) {
        usbirq_ &= static_cast<std::uint8_t>(~(p & -p));
        updateInt2(true);
      }
      return;
    case sfr::INT4CLR:
      catchUp();
      if (const std::uint8_t p = int4Pending()) {
        gpif_.irq &= static_cast<std::uint8_t>(~(p & -p));
        updateInt4(true);
      }
      return;
    case sfr::EP2468STAT:
    case sfr::EP24FIFOFLGS:
    case sfr::EP68FIFOFLGS:
      return;  // read-only
    case sfr::GPIFTRIG:
      catchUp();
      gpif_.startFifo((v & bits::GPIFTRIG_READ) != 0, v & 3, accessTime());
      return;
    case sfr::GPIFSGLDATH: gpif_.singleHigh = v; return;
    case sfr::GPIFSGLDATLX:
      catchUp();
      gpif_.singleLow = v;
      gpif_.startSingle(false, accessTime());
      return;
    case sfr::GPIFSGLDATLNOX: gpif_.singleLow = v; return;
    default:
      sfrs_[a - 0x80] = v;
      recordUnmodelled(a, true, v);
      return;
  }
}

}  // namespace fx2
