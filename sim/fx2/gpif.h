#pragma once
// The GPIF: runs the waveform descriptors loaded into waveform memory, state by state on
// IFCLK, moving bytes between an endpoint FIFO (or the single-data registers) and the flash
// pins.
//
// Timing: a non-decision state lasts LENGTH IFCLK cycles (0 = 256); a decision state takes
// one cycle per test. Outputs change and actions (DATA, NEXT, INCAD, GINT) happen at the
// start of a state. A FIFO transaction runs its waveform once per byte: after the decision
// that sends a pass to idle, the GPIF spends IDLE_PASS_CYCLES (one cycle) in the idle state
// with the idle levels on the CTL lines, then starts the next pass in S0 once the FIFO has a
// byte (write) or room (read). So waveform 0 of the bridge moves one byte every
// 1 + 2 + 1 + 3 + 1 + 1 = 9 IFCLK cycles when the flash is ready.
// With WORDWIDE set on the transaction's endpoint the FIFO is 16 bits wide: the count is in
// words, a read puts FD[7:0] and then FD[15:8] (port D, not connected to the flash: it reads
// 0xFF) into the FIFO, and a write drives the low byte and advances the FIFO by two.
// The ready inputs are sampled in the decision cycle itself (the two-cycle synchroniser that
// SAS = 0 implies on the chip is not modelled).
// While a decision loops on itself the GPIF skips ahead to the moment its inputs can change
// (RDY0 rising) instead of testing every cycle.
#include <cstdint>
#include <string>

#include "sim/fx2/endpoint_fifo.h"
#include "sim/fx2/nand_pins.h"

namespace fx2 {

class Gpif {
 public:
  static constexpr unsigned IDLE_PASS_CYCLES = 1;
  enum class Kind : std::uint8_t { FifoRead, FifoWrite, SingleRead, SingleWrite };

  Gpif(NandPins& pins, EndpointFifo* const endpoints[4]) : pins_(pins) {
    for (int i = 0; i < 4; ++i) eps_[i] = endpoints[i];
  }

  void reset();

  // Registers the GPIF reads directly.
  std::uint8_t waveData[128]{};
  std::uint8_t wfSelect = 0xE4;
  std::uint8_t idleCs = 0;
  std::uint8_t idleCtl = 0xFF;
  std::uint8_t ctlCfg = 0;
  std::uint8_t readyCfg = 0;
  std::uint8_t flagSelect[4]{};  // EPxGPIFFLGSEL: 0 programmable, 1 empty, 2 full
  std::uint16_t address = 0;     // GPIFADR8..0
  std::uint32_t count = 0;       // GPIFTCB3..0
  std::uint8_t singleHigh = 0;
  std::uint8_t singleLow = 0;
  std::uint8_t trigBits = 0;     // GPIFTRIG bits 2..0 of the last trigger
  std::uint8_t irq = 0;          // GPIFIRQ requests raised by the engine

  // IFCLK period in ticks; 0 when the interface has no clock.
  void setClockPeriod(sim::SimTime period) { period_ = period; }
  sim::SimTime clockPeriod() const { return period_; }

  bool done() const { return mode_ == Mode::Idle; }
  // Starts a transaction (ignored while one runs). `endpoint` is 0..3 for EP2..EP8.
  void startFifo(bool read, unsigned endpoint, sim::SimTime now);
  void startSingle(bool read, sim::SimTime now);
  // Back to idle at once.
  void abort(sim::SimTime now);

  // Runs every step that starts before `limit`.
  void advanceTo(sim::SimTime limit) {
    if (mode_ != Mode::Idle && period_ && t_ < limit) run(limit);
  }

  // Applies the idle levels to the pins (at configuration and after an abort).
  void driveIdle(sim::SimTime now);

  std::uint64_t bytesMoved() const { return bytesMoved_; }
  std::uint64_t irqEvents() const { return irqEvents_; }
  // Triggers that arrived while a transaction was running, and were ignored.
  std::uint64_t ignoredTriggers() const { return ignoredTriggers_; }
  // What the GPIF is doing, for stall reports: "GPIF waiting for RDY0 in waveform 0 state S0".
  std::string describe(sim::SimTime now) const;

 private:
  enum class Mode : std::uint8_t { Idle, Waiting, Running };
  void run(sim::SimTime limit);
  void planFastRead();
  enum class Fast : std::uint8_t { Moved, Deferred, Fallback };
  Fast runFastRead(sim::SimTime limit);
  void begin(Kind kind, unsigned waveform, unsigned endpoint, sim::SimTime now);
  bool fifoReady() const;
  bool term(unsigned n, sim::SimTime now) const;
  bool logic(std::uint8_t function, sim::SimTime now) const;
  void actions(std::uint8_t opcode, sim::SimTime now);
  void outputs(std::uint8_t output, sim::SimTime now);
  void finish(sim::SimTime now);
  unsigned waveformIndex() const { return static_cast<unsigned>((wave_ - waveData) / 32); }

  NandPins& pins_;
  EndpointFifo* eps_[4];
  sim::SimTime period_ = 8;
  Mode mode_ = Mode::Idle;
  Kind kind_ = Kind::FifoRead;
  const std::uint8_t* wave_ = waveData;
  EndpointFifo* ep_ = nullptr;
  unsigned epIndex_ = 0;
  bool wordWide_ = false;
  unsigned state_ = 0;
  bool entered_ = false;  // the current decision state's actions have run
  sim::SimTime t_ = 0;    // start of the next step
  // A FIFO read whose waveform is the plain shape (S0 waits for RDY0, then fixed states
  // with one RE# pulse and one DATA, then a decision to idle) runs whole passes in one step
  // each, with the same pin edges and times as the state-by-state run.
  struct FastRead {
    bool usable = false;
    sim::SimTime fallOffset = 0;  // S0 start to the falling edge of RE#
    sim::SimTime sampleOffset = 0;  // S0 start to the DATA state
    sim::SimTime period = 0;      // one pass, idle included
  } fast_;
  std::uint64_t bytesMoved_ = 0;
  std::uint64_t irqEvents_ = 0;
  std::uint64_t ignoredTriggers_ = 0;
};

}  // namespace fx2
