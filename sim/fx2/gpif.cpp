#include "sim/fx2/gpif.h"

#include <cstdio>
#include <cstring>

#include "sim/fx2/fx2_registers.h"

namespace fx2 {

namespace {
constexpr std::uint8_t OP_DP = 0x01, OP_DATA = 0x02, OP_NEXT = 0x04, OP_INCAD = 0x08,
                       OP_GINT = 0x10, OP_SGL = 0x20;
constexpr sim::SimTime NEVER = ~sim::SimTime{0};
}  // namespace

void Gpif::reset() {
  std::memset(waveData, 0, sizeof waveData);
  wfSelect = 0xE4;
  idleCs = 0;
  idleCtl = 0xFF;
  ctlCfg = 0;
  readyCfg = 0;
  std::memset(flagSelect, 0, sizeof flagSelect);
  address = 0;
  count = 0;
  singleHigh = singleLow = 0;
  trigBits = 0;
  irq = 0;
  mode_ = Mode::Idle;
  entered_ = false;
}

void Gpif::begin(Kind kind, unsigned waveform, unsigned endpoint, sim::SimTime now) {
  kind_ = kind;
  wave_ = waveData + 32 * (waveform & 3);
  epIndex_ = endpoint & 3;
  ep_ = eps_[epIndex_];
  wordWide_ = (kind == Kind::FifoRead || kind == Kind::FifoWrite) &&
              (ep_->fifoConfig() & bits::FIFOCFG_WORDWIDE);
  state_ = 0;
  entered_ = false;
  // Steps fall on IFCLK edges; a trigger takes effect at the next one.
  const sim::SimTime p = period_ ? period_ : 1;
  t_ = (now + p - 1) / p * p;
}

void Gpif::startFifo(bool read, unsigned endpoint, sim::SimTime now) {
  if (mode_ != Mode::Idle) {
    ++ignoredTriggers_;
    return;
  }
  trigBits = static_cast<std::uint8_t>((read ? bits::GPIFTRIG_READ : 0) | (endpoint & 3));
  fast_.usable = false;
  begin(read ? Kind::FifoRead : Kind::FifoWrite, read ? wfSelect & 3 : (wfSelect >> 2) & 3,
        endpoint, now);
  if (count == 0) {  // nothing to move
    finish(now);
    return;
  }
  mode_ = Mode::Waiting;
  if (read && !wordWide_) planFastRead();
}

void Gpif::planFastRead() {
  fast_ = FastRead{};
  const std::uint8_t* w = wave_;
  const bool tri = (ctlCfg & bits::GPIFCTLCFG_TRICTL) != 0;
  // S0: a decision on RDY0 alone (A AND A, A OR A), no actions, true to S1, false to S0.
  const std::uint8_t f0 = w[24];
  if (tri || w[8] != OP_DP || (w[0] & 0xBF) != 0x08 || (f0 & 0x3F) != 0 || (f0 >> 6) > 1)
    return;
  // The CTL levels: all high at S0, at the final decision and at idle.
  const std::uint8_t high = 0x3F;
  if ((w[16] & high) != high || (idleCtl & high) != high) return;
  sim::SimTime cycles = 1, fall = 0;
  bool low = false, pulsed = false, data = false;
  unsigned s = 1;
  for (; s < 7 && !(w[8 + s] & OP_DP); ++s) {
    const std::uint8_t op = w[8 + s], out = w[16 + s] & high;
    if (op & ~OP_DATA) return;  // NEXT, INCAD, GINT, SGL: not the plain shape
    if (out != high && out != (high & ~NandPins::RE)) return;
    const bool reLow = out != high;
    if (reLow && !low) {
      if (pulsed) return;  // a second RE# pulse
      fall = cycles;
      low = pulsed = true;
    } else if (!reLow && low) {
      low = false;
    }
    if (op & OP_DATA) {
      if (data || !low) return;  // one byte per pass, sampled while RE# is low
      data = true;
      fast_.sampleOffset = cycles * period_;
    }
    cycles += w[s] ? w[s] : 256;
  }
  if (s == 7 || low || !data) return;
  // The final decision: both branches to idle, no actions.
  if (w[8 + s] != OP_DP || (w[s] & 0x3F) != 0x3F || (w[16 + s] & high) != high) return;
  fast_.usable = true;
  fast_.fallOffset = fall * period_;
  fast_.period = (cycles + 1 + IDLE_PASS_CYCLES) * period_;
}

// Whole passes, each taken as one step once its byte is sampled before `limit`, leaving the
// pins as it found them. A pass whose sample falls at or after `limit` waits for the next
// call: nothing outside can see the difference, since the byte, the count and DONE change
// only at the sample. The last byte of the count, a busy flash and a full FIFO go back to
// the state-by-state run.
Gpif::Fast Gpif::runFastRead(sim::SimTime limit) {
  sim::NandFlash& flash = pins_.flash();
  const sim::SimTime pass = fast_.period, fall = fast_.fallOffset, sample = fast_.sampleOffset;
  sim::SimTime t = t_;
  Fast result = Fast::Fallback;
  while (count > 1 && ep_->fifoHasRoom() && flash.isReady(t)) {
    if (t + sample >= limit) {
      result = Fast::Deferred;
      break;
    }
    ep_->fifoPush(flash.dataReadCycle(t + fall));
    --count;
    ++bytesMoved_;
    t += pass;
    result = Fast::Moved;
  }
  t_ = t;
  return result;
}

void Gpif::startSingle(bool read, sim::SimTime now) {
  if (mode_ != Mode::Idle) {
    ++ignoredTriggers_;
    return;
  }
  begin(read ? Kind::SingleRead : Kind::SingleWrite,
        read ? (wfSelect >> 4) & 3 : (wfSelect >> 6) & 3, 0, now);
  mode_ = Mode::Running;
}

void Gpif::abort(sim::SimTime now) {
  if (mode_ == Mode::Idle) return;
  mode_ = Mode::Idle;
  driveIdle(now);
}

void Gpif::driveIdle(sim::SimTime now) {
  outputs(idleCtl, now);
  pins_.driveBus((idleCs & 0x80) != 0, pins_.bus(), now);
}

void Gpif::finish(sim::SimTime now) {
  mode_ = Mode::Idle;
  irq |= bits::GPIF_IRQ_DONE;
  ++irqEvents_;
  driveIdle(now);
}

bool Gpif::fifoReady() const {
  return kind_ == Kind::FifoRead ? ep_->fifoHasRoom() : ep_->fifoHasByte();
}

bool Gpif::term(unsigned n, sim::SimTime now) const {
  switch (n) {
    case 0: return pins_.ready(now);  // RDY0 = R/B#
    case 5: return (readyCfg & bits::GPIFREADYCFG_TCXRDY5) && count == 0;
    case 6:  // the FIFO flag that EPxGPIFFLGSEL picks (the programmable flag is not modelled)
      switch (flagSelect[epIndex_] & 3) {
        case 1: return ep_->emptyFlag();
        case 2: return ep_->fullFlag();
        default: return false;
      }
    case 7: return (readyCfg & bits::GPIFREADYCFG_INTRDY) != 0;
    default: return false;  // RDY1-RDY4 are not connected
  }
}

bool Gpif::logic(std::uint8_t f, sim::SimTime now) const {
  const bool a = term((f >> 3) & 7, now);
  const bool b = ((f >> 3) & 7) == (f & 7) ? a : term(f & 7, now);
  switch (f >> 6) {
    case 0: return a && b;
    case 1: return a || b;
    case 2: return a != b;
    default: return !a && b;
  }
}

void Gpif::outputs(std::uint8_t output, sim::SimTime now) {
  std::uint8_t levels;
  if (ctlCfg & bits::GPIFCTLCFG_TRICTL) {
    // Bits 7-4 enable CTL3-CTL0, bits 3-0 their levels; a disabled line floats high.
    levels = static_cast<std::uint8_t>(0x30 | (output & 0x0F) | (~output >> 4 & 0x0F));
  } else {
    levels = output & 0x3F;
  }
  pins_.setCtl(levels, now);
}

void Gpif::actions(std::uint8_t op, sim::SimTime now) {
  const bool write = kind_ == Kind::FifoWrite || kind_ == Kind::SingleWrite;
  if (op & OP_DATA) {
    const bool single = kind_ == Kind::SingleRead || kind_ == Kind::SingleWrite || (op & OP_SGL);
    if (write) {
      std::uint8_t v = singleLow;
      if (!single && ep_->fifoHasByte()) v = ep_->fifoByte();
      pins_.driveBus(true, v, now);
    } else if (single) {
      singleLow = pins_.bus();
    } else if (ep_->fifoHasRoom()) {
      ep_->fifoPush(pins_.bus());
      ++bytesMoved_;
      if (wordWide_ && ep_->fifoHasRoom()) {
        ep_->fifoPush(0xFF);  // FD[15:8]
        ++bytesMoved_;
      }
      if (count) --count;
    }
  } else if (write) {
    pins_.driveBus(false, pins_.bus(), now);
  }
  if ((op & OP_NEXT) && kind_ == Kind::FifoWrite && ep_->fifoHasByte()) {
    ep_->fifoNext();
    ++bytesMoved_;
    if (wordWide_ && ep_->fifoHasByte()) {
      ep_->fifoNext();
      ++bytesMoved_;
    }
    if (count) --count;
  }
  if (op & OP_INCAD) address = (address + 1) & 0x1FF;
  if (op & OP_GINT) {
    irq |= bits::GPIF_IRQ_WF;
    ++irqEvents_;
  }
}

void Gpif::run(sim::SimTime limit) {
  const sim::SimTime p = period_;
  while (t_ < limit) {
    if (mode_ == Mode::Waiting) {
      if (fast_.usable && kind_ == Kind::FifoRead && !pins_.tracing()) {
        const Fast f = runFastRead(limit);
        if (f == Fast::Deferred) return;
        if (f == Fast::Moved) continue;
      }
      if (!fifoReady()) {
        // Paused until the FIFO changes, which happens only outside this call.
        t_ += (limit - t_ + p - 1) / p * p;
        return;
      }
      mode_ = Mode::Running;
      state_ = 0;
      entered_ = false;
    }
    if (state_ == 7) {  // idle: the pass is over
      if (kind_ == Kind::SingleRead || kind_ == Kind::SingleWrite || count == 0) {
        finish(t_);
        return;
      }
      driveIdle(t_);
      t_ += IDLE_PASS_CYCLES * p;
      mode_ = Mode::Waiting;
      continue;
    }
    const std::uint8_t lb = wave_[state_], op = wave_[8 + state_];
    outputs(wave_[16 + state_], t_);
    if (!(op & OP_DP)) {
      actions(op, t_);
      t_ += (lb ? lb : 256) * p;
      ++state_;  // S6 runs on into idle
      continue;
    }
    const bool reexecute = (lb & 0x80) != 0;
    if (!entered_ || reexecute) actions(op, t_);
    const std::uint8_t f = wave_[24 + state_];
    const unsigned next = logic(f, t_) ? (lb >> 3) & 7 : lb & 7;
    if (next != state_) {
      t_ += p;
      state_ = next;
      entered_ = false;
      continue;
    }
    entered_ = true;
    if (reexecute) {
      t_ += p;
      continue;
    }
    // The decision loops with nothing changing but RDY0: test again when it rises (or at
    // the limit, where the CPU or the host may change another input).
    sim::SimTime until = limit;
    const bool usesRdy0 = ((f >> 3) & 7) == 0 || (f & 7) == 0;
    if (usesRdy0 && !pins_.ready(t_)) {
      const sim::SimTime r = pins_.readyTime();
      if (r != NEVER && r < until) until = r;
    }
    const sim::SimTime k = until > t_ ? (until - t_ + p - 1) / p : 1;
    t_ += (k ? k : 1) * p;
  }
}

std::string Gpif::describe(sim::SimTime now) const {
  if (mode_ == Mode::Idle) return "GPIF idle";
  static const char* const kinds[] = {"FIFO read", "FIFO write", "single read",
                                      "single write"};
  char text[160];
  const unsigned ep = ep_ ? ep_->number() : 0;
  if (!period_) {
    std::snprintf(text, sizeof text, "GPIF %s has no interface clock (external IFCLK selected)",
                  kinds[static_cast<int>(kind_)]);
  } else if (mode_ == Mode::Waiting && fifoReady()) {
    // Between passes: the next one starts in S0.
    if (pins_.ready(now))
      std::snprintf(text, sizeof text, "GPIF %s in waveform %u state S0",
                    kinds[static_cast<int>(kind_)], waveformIndex());
    else
      std::snprintf(text, sizeof text, "GPIF waiting for RDY0 in waveform %u state S0",
                    waveformIndex());
  } else if (mode_ == Mode::Waiting) {
    std::snprintf(text, sizeof text, "GPIF %s waiting for %s endpoint %u (count %u)",
                  kinds[static_cast<int>(kind_)],
                  kind_ == Kind::FifoRead ? "room in" : "a byte in", ep,
                  static_cast<unsigned>(count));
  } else if (state_ < 7 && (wave_[8 + state_] & OP_DP) && !pins_.ready(now)) {
    std::snprintf(text, sizeof text, "GPIF waiting for RDY0 in waveform %u state S%u",
                  waveformIndex(), state_);
  } else {
    std::snprintf(text, sizeof text, "GPIF %s in waveform %u state S%u",
                  kinds[static_cast<int>(kind_)], waveformIndex(), state_);
  }
  return text;
}

}  // namespace fx2
