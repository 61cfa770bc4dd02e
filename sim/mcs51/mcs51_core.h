#pragma once
// The 8051 instruction-set core with the FX2's timing: 4 clocks per instruction cycle, the
// FX2's cycle count per opcode, MOVX stretch from CKCON, two data pointers (DPS), idle mode
// (PCON bit 0) and the FX2's extended interrupts. Everything outside the core (code and
// external memory, the chip's SFRs) is reached through hooks that the chip model supplies.
//
// This header is the contract between the core and the chip model (sim/fx2) and the
// command-line runner; extend it, but keep what is here working.
#include <cstdint>

namespace mcs51 {

// Interrupt sources, in the 8051's natural priority order within a level.
enum class Interrupt : std::uint8_t {
  Int0,    // 0x03  IE0 (TCON.1)
  Timer0,  // 0x0B  TF0 (TCON.5)
  Int1,    // 0x13  IE1 (TCON.3)
  Timer1,  // 0x1B  TF1 (TCON.7)
  Serial0, // 0x23  RI_0/TI_0
  Timer2,  // 0x2B  TF2/EXF2
  Resume,  // 0x33  EICON.4 RESI, enabled by EICON.5 ERESI
  Serial1, // 0x3B
  Int2,    // 0x43  USB: EXIF.4 USBINT, enabled by EIE.0
  Int3,    // 0x4B  I2C: EXIF.5 I2CINT, enabled by EIE.1
  Int4,    // 0x53  FIFO/GPIF: EXIF.6 IE4, enabled by EIE.2
  Int5,    // 0x5B  EXIF.7 IE5, enabled by EIE.3
  Int6,    // 0x63  EICON.3 INT6, enabled by EIE.4
  Count
};

constexpr std::uint16_t vectorAddress(Interrupt source) {
  return static_cast<std::uint16_t>(0x03 + 8 * static_cast<unsigned>(source));
}

struct CoreHooks {
  void* context = nullptr;
  // SFR reads and writes for addresses the core does not hold itself (the core holds ACC,
  // B, PSW, SP, DPL0/DPH0, DPL1/DPH1, DPS, PCON, CKCON, IE, IP, EIE, EIP, EXIF, EICON, TCON,
  // and MPAGE (0x92), the high byte of MOVX @Ri). Without a hook the core keeps them in its
  // own SFR array.
  std::uint8_t (*sfrRead)(void* context, std::uint8_t address) = nullptr;
  void (*sfrWrite)(void* context, std::uint8_t address, std::uint8_t value) = nullptr;
  // Read-modify-write instructions (ANL/ORL/XRL/INC/DEC/DJNZ direct, bit CLR/SETB/CPL/JBC,
  // MOV bit,C) read a port's output latch, not its pins. When null, sfrRead serves them too.
  std::uint8_t (*sfrReadLatch)(void* context, std::uint8_t address) = nullptr;
  // MOVX. Addresses inside the directly mapped memory (setMemory) bypass these.
  std::uint8_t (*xdataRead)(void* context, std::uint16_t address) = nullptr;
  void (*xdataWrite)(void* context, std::uint16_t address, std::uint8_t value) = nullptr;
  // Called when the core vectors to an interrupt, after pushing the return address; returns
  // the address at which execution goes on (normally `vector`). The FX2 uses it for
  // autovectoring: it returns the target of the LJMP at the vector with its low byte
  // replaced by the source's offset, and the core charges that LJMP's 4 cycles.
  std::uint16_t (*vectorTarget)(void* context, std::uint16_t vector) = nullptr;
};

enum class StopReason : std::uint8_t { None, ReservedOpcode };

class Core {
 public:
  Core();

  // Unified code and directly mapped external data memory: fetches and MOVC read
  // memory[address] for address < size; MOVX inside [0, size) reads and writes it directly,
  // so a MOVX write is visible to the next fetch. Outside it, fetch reads 0xFF and MOVX goes
  // to the hooks.
  void setMemory(std::uint8_t* memory, std::uint32_t size);
  void setHooks(const CoreHooks& hooks);

  // Register values after reset: PC 0, SP 7, CKCON 0x01 (stretch 1), DPS 0, EIE 0xE0, ...
  // Internal RAM keeps its contents, and the cycle and instruction counters keep running:
  // they are the chip's time base.
  void reset();

  // Runs instructions until the cycle counter reaches `cycleLimit` (an instruction that
  // starts before it is completed), the core stops, or `pcBreak` (if >= 0) is reached: the
  // run ends before executing the instruction there (a pending interrupt is taken first).
  // In idle the counter advances to cycleLimit unless an enabled interrupt is pending.
  // Returns the number of instructions executed.
  std::uint64_t run(std::uint64_t cycleLimit, std::int32_t pcBreak = -1);
  // Like run, but bounded by a number of instructions instead of a cycle limit. An idle core
  // stops at once (nothing would wake it).
  std::uint64_t runInstructions(std::uint64_t count, std::int32_t pcBreak = -1);
  // One instruction (or one idle cycle); returns the cycles it took.
  unsigned step();

  std::uint64_t cycles() const { return cycles_; }
  std::uint64_t instructions() const { return instructions_; }
  StopReason stopReason() const { return stop_; }
  std::uint16_t stopAddress() const { return stopAddress_; }
  bool idle() const;

  // Interrupt request lines, raised and cleared by the chip. For sources with a flag bit in
  // an SFR the core holds (EXIF, EICON, TCON) raising sets that flag; the firmware clears it
  // (clearing the line leaves it set, except INT0/INT1 in level mode). Entry costs an LCALL's
  // 4 cycles and counts as no instruction (an autovector's LJMP counts as one). The resume
  // interrupt has no priority bit and is served at the low level.
  void raise(Interrupt source);
  void clear(Interrupt source);

  // Architectural state, for the chip, the runner and tests.
  std::uint16_t pc() const { return pc_; }
  void setPc(std::uint16_t pc) { pc_ = pc; }
  std::uint8_t iram(std::uint8_t address) const { return iram_[address]; }
  void setIram(std::uint8_t address, std::uint8_t value) { iram_[address] = value; }
  std::uint8_t sfr(std::uint8_t address) const;        // as the core holds it (no hook)
  void setSfr(std::uint8_t address, std::uint8_t value);
  std::uint16_t dptr(unsigned index) const;
  // Interrupt levels being served (bit 0 low, bit 1 high); RETI ends the highest.
  std::uint8_t interruptsInService() const { return inService_; }

 private:
  // The implementation owns the layout below; add what it needs.
  template <bool kByCycles, bool kBreak>
  std::uint64_t runLoop(std::uint64_t limit, std::uint16_t pcBreak);
  unsigned execute();
  unsigned serviceInterruptOrIdle();
  std::uint8_t readDirect(std::uint8_t address);
  std::uint8_t readDirectLatch(std::uint8_t address);
  void writeDirect(std::uint8_t address, std::uint8_t value);
  std::uint8_t readSfr(std::uint8_t address);
  void writeSfr(std::uint8_t address, std::uint8_t value);
  bool readBit(std::uint8_t bit);
  bool readBitLatch(std::uint8_t bit);
  void writeBit(std::uint8_t bit, bool value);
  std::uint8_t xdataRead(std::uint16_t address);
  void xdataWrite(std::uint16_t address, std::uint8_t value);
  std::uint8_t psw() const;
  void updateInterrupts();
  std::uint16_t pendingMask() const;
  std::uint16_t enabledMask() const;
  std::uint16_t highPriorityMask() const;

  std::uint8_t* memory_ = nullptr;
  std::uint32_t memorySize_ = 0;
  CoreHooks hooks_{};
  std::uint8_t iram_[256]{};
  std::uint8_t sfr_[128]{};
  std::uint16_t pc_ = 0;
  std::uint64_t cycles_ = 0;
  std::uint64_t instructions_ = 0;
  StopReason stop_ = StopReason::None;
  std::uint16_t stopAddress_ = 0;
  std::uint8_t bank_ = 0;           // PSW RS1:RS0 * 8, the base of R0-R7
  std::uint8_t dpl_ = 0x82;         // DPL of the pointer DPS selects (DPH follows it)
  std::uint16_t lines_ = 0;         // request lines as raised by the chip, one bit per source
  std::uint8_t inService_ = 0;      // levels in service: bit 0 low, bit 1 high
  bool irqArmed_ = false;           // an enabled request may be taken (EA and enable bits)
  bool blockOnce_ = false;          // the next boundary may not take an interrupt (cleared by
                                    // the next instruction)
  bool idle_ = false;
};

}  // namespace mcs51
