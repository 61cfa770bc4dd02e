#include "sim/mcs51/mcs51_core.h"

#include <bit>

#include "sim/mcs51/mcs51_cycles.h"

#if defined(__GNUC__)
#define NB_ALWAYS_INLINE __attribute__((always_inline))
#else
#define NB_ALWAYS_INLINE
#endif

namespace mcs51 {

namespace {

// SFR addresses the core holds itself.
constexpr std::uint8_t SP = 0x81, DPL0 = 0x82, DPL1 = 0x84, DPS = 0x86, PCON = 0x87,
                       TCON = 0x88, CKCON = 0x8E, EXIF = 0x91, MPAGE = 0x92, IE = 0xA8,
                       IP = 0xB8, PSW = 0xD0, EICON = 0xD8, ACC = 0xE0, EIE = 0xE8, B = 0xF0,
                       EIP = 0xF8;

constexpr std::uint8_t CY = 0x80, AC = 0x40, OV = 0x04;

constexpr unsigned bitOf(Interrupt s) { return 1u << static_cast<unsigned>(s); }

struct HeldTable {
  bool held[128]{};
  constexpr HeldTable() {
    for (std::uint8_t a : {SP, DPL0, std::uint8_t(DPL0 + 1), DPL1, std::uint8_t(DPL1 + 1), DPS,
                           PCON, TCON, CKCON, EXIF, MPAGE, IE, IP, PSW, EICON, ACC, EIE, B, EIP})
      held[a - 0x80] = true;
  }
};
constexpr HeldTable kHeld;

constexpr bool parity(std::uint8_t v) {
  v ^= v >> 4;
  v ^= v >> 2;
  v ^= v >> 1;
  return v & 1;
}

}  // namespace

Core::Core() { reset(); }

void Core::setMemory(std::uint8_t* memory, std::uint32_t size) {
  memory_ = memory;
  memorySize_ = memory ? size : 0;
}

void Core::setHooks(const CoreHooks& hooks) { hooks_ = hooks; }

void Core::reset() {
  for (auto& b : sfr_) b = 0;
  for (std::uint8_t port : {0x80, 0x90, 0xA0, 0xB0}) sfr_[port - 0x80] = 0xFF;
  sfr_[SP - 0x80] = 0x07;
  sfr_[CKCON - 0x80] = 0x01;
  sfr_[EIE - 0x80] = 0xE0;
  sfr_[EIP - 0x80] = 0xE0;
  sfr_[EXIF - 0x80] = 0x08;
  sfr_[EICON - 0x80] = 0x40;
  pc_ = 0;
  bank_ = 0;
  dpl_ = DPL0;
  lines_ = 0;
  inService_ = 0;
  irqArmed_ = false;
  blockOnce_ = false;
  idle_ = false;
  stop_ = StopReason::None;
  stopAddress_ = 0;
}

bool Core::idle() const { return idle_; }

std::uint8_t Core::psw() const {
  const std::uint8_t v = sfr_[PSW - 0x80] & 0xFE;
  return v | (parity(sfr_[ACC - 0x80]) ? 1 : 0);
}

std::uint8_t Core::sfr(std::uint8_t address) const {
  if (address < 0x80) return 0;
  if (address == PSW) return psw();
  return sfr_[address - 0x80];
}

void Core::setSfr(std::uint8_t address, std::uint8_t value) {
  if (address < 0x80) return;
  sfr_[address - 0x80] = value;
  if (address == PSW) bank_ = value & 0x18;
  if (address == DPS) dpl_ = (value & 1) ? DPL1 : DPL0;
  if (address == PCON) idle_ = value & 1;
  updateInterrupts();
}

std::uint16_t Core::dptr(unsigned index) const {
  const std::uint8_t lo = index ? DPL1 : DPL0;
  return static_cast<std::uint16_t>(sfr_[lo + 1 - 0x80] << 8 | sfr_[lo - 0x80]);
}

// ---- interrupts ----

std::uint16_t Core::pendingMask() const {
  const std::uint8_t tcon = sfr_[TCON - 0x80], exif = sfr_[EXIF - 0x80],
                     eicon = sfr_[EICON - 0x80];
  unsigned m = lines_ & (bitOf(Interrupt::Serial0) | bitOf(Interrupt::Timer2) |
                         bitOf(Interrupt::Serial1));
  if (tcon & 0x02) m |= bitOf(Interrupt::Int0);
  if (tcon & 0x20) m |= bitOf(Interrupt::Timer0);
  if (tcon & 0x08) m |= bitOf(Interrupt::Int1);
  if (tcon & 0x80) m |= bitOf(Interrupt::Timer1);
  if (eicon & 0x10) m |= bitOf(Interrupt::Resume);
  if (eicon & 0x08) m |= bitOf(Interrupt::Int6);
  m |= static_cast<unsigned>(exif >> 4) << static_cast<unsigned>(Interrupt::Int2);
  return static_cast<std::uint16_t>(m);
}

// IE bits 0-5 line up with the first six sources; IE.6 enables the second serial port. The
// extended sources sit in EIE bits 0-4 in vector order.
std::uint16_t Core::enabledMask() const {
  const std::uint8_t ie = sfr_[IE - 0x80];
  unsigned m = ie & 0x3F;
  if (ie & 0x40) m |= bitOf(Interrupt::Serial1);
  if (sfr_[EICON - 0x80] & 0x20) m |= bitOf(Interrupt::Resume);
  m |= static_cast<unsigned>(sfr_[EIE - 0x80] & 0x1F) << static_cast<unsigned>(Interrupt::Int2);
  return static_cast<std::uint16_t>(m);
}

// The resume interrupt has no priority bit of its own; it is served at the low level
// (unverified: no source at hand says otherwise).
std::uint16_t Core::highPriorityMask() const {
  const std::uint8_t ip = sfr_[IP - 0x80];
  unsigned m = ip & 0x3F;
  if (ip & 0x40) m |= bitOf(Interrupt::Serial1);
  m |= static_cast<unsigned>(sfr_[EIP - 0x80] & 0x1F) << static_cast<unsigned>(Interrupt::Int2);
  return static_cast<std::uint16_t>(m);
}

void Core::updateInterrupts() {
  irqArmed_ = (sfr_[IE - 0x80] & 0x80) && (pendingMask() & enabledMask());
}

void Core::raise(Interrupt source) {
  lines_ |= static_cast<std::uint16_t>(bitOf(source));
  std::uint8_t& tcon = sfr_[TCON - 0x80];
  std::uint8_t& exif = sfr_[EXIF - 0x80];
  std::uint8_t& eicon = sfr_[EICON - 0x80];
  switch (source) {
    case Interrupt::Int0: tcon |= 0x02; break;
    case Interrupt::Timer0: tcon |= 0x20; break;
    case Interrupt::Int1: tcon |= 0x08; break;
    case Interrupt::Timer1: tcon |= 0x80; break;
    case Interrupt::Resume: eicon |= 0x10; break;
    case Interrupt::Int2: exif |= 0x10; break;
    case Interrupt::Int3: exif |= 0x20; break;
    case Interrupt::Int4: exif |= 0x40; break;
    case Interrupt::Int5: exif |= 0x80; break;
    case Interrupt::Int6: eicon |= 0x08; break;
    default: break;
  }
  updateInterrupts();
}

// Dropping a line leaves a latched flag for the firmware to clear, except for a
// level-triggered external interrupt (ITx = 0), whose flag follows the pin.
void Core::clear(Interrupt source) {
  lines_ &= static_cast<std::uint16_t>(~bitOf(source));
  std::uint8_t& tcon = sfr_[TCON - 0x80];
  if (source == Interrupt::Int0 && !(tcon & 0x01)) tcon &= ~0x02;
  if (source == Interrupt::Int1 && !(tcon & 0x04)) tcon &= ~0x08;
  updateInterrupts();
}

// Called at an instruction boundary when a request is armed or the core is idle. Takes the
// interrupt unless the previous instruction was RETI or wrote IE/IP/EIE/EIP (blockOnce_) or
// a level in service holds it back. Returns the cycles spent vectoring, or 0.
unsigned Core::serviceInterruptOrIdle() {
  if (blockOnce_ || !irqArmed_ || inService_ & 2) return 0;
  const unsigned requests = pendingMask() & enabledMask();
  const unsigned high = requests & highPriorityMask();
  unsigned chosen;
  std::uint8_t level;
  if (high) {
    chosen = high;
    level = 2;
  } else if (!inService_) {
    chosen = requests;
    level = 1;
  } else {
    return 0;
  }
  const unsigned index = static_cast<unsigned>(std::countr_zero(chosen));
  const auto source = static_cast<Interrupt>(index);
  std::uint8_t& sp = sfr_[SP - 0x80];
  iram_[++sp] = static_cast<std::uint8_t>(pc_);
  iram_[++sp] = static_cast<std::uint8_t>(pc_ >> 8);
  inService_ |= level;
  std::uint8_t& tcon = sfr_[TCON - 0x80];
  if (source == Interrupt::Timer0) tcon &= ~0x20;
  if (source == Interrupt::Timer1) tcon &= ~0x80;
  if (source == Interrupt::Int0 && (tcon & 0x01)) tcon &= ~0x02;
  if (source == Interrupt::Int1 && (tcon & 0x04)) tcon &= ~0x08;
  if (idle_) {
    idle_ = false;
    sfr_[PCON - 0x80] &= ~0x01;
  }
  const std::uint16_t vector = vectorAddress(source);
  unsigned spent = kCycles[0x12];  // entered like an LCALL
  pc_ = vector;
  if (hooks_.vectorTarget) {
    pc_ = hooks_.vectorTarget(hooks_.context, vector);
    if (pc_ != vector) {  // the LJMP at the vector, taken on the autovectored target
      spent += kCycles[0x02];
      ++instructions_;
    }
  }
  cycles_ += spent;
  updateInterrupts();
  return spent;
}

// ---- memory spaces ----

std::uint8_t Core::readSfr(std::uint8_t address) {
  if (address == PSW) return psw();
  if (kHeld.held[address - 0x80] || !hooks_.sfrRead) return sfr_[address - 0x80];
  return hooks_.sfrRead(hooks_.context, address);
}

void Core::writeSfr(std::uint8_t address, std::uint8_t value) {
  if (!kHeld.held[address - 0x80]) {
    if (hooks_.sfrWrite)
      hooks_.sfrWrite(hooks_.context, address, value);
    else
      sfr_[address - 0x80] = value;
    return;
  }
  sfr_[address - 0x80] = value;
  switch (address) {
    case PSW: bank_ = value & 0x18; break;
    case DPS: dpl_ = (value & 1) ? DPL1 : DPL0; break;
    case PCON:
      if (value & 1) idle_ = true;
      break;
    case IE:
    case IP:
    case EIE:
    case EIP:
      blockOnce_ = true;
      updateInterrupts();
      break;
    case TCON:
    case EXIF:
    case EICON: updateInterrupts(); break;
    default: break;
  }
}

inline std::uint8_t Core::readDirect(std::uint8_t address) {
  if (address < 0x80) return iram_[address];
  if (address == ACC) return sfr_[ACC - 0x80];
  return readSfr(address);
}

inline std::uint8_t Core::readDirectLatch(std::uint8_t address) {
  if (address < 0x80) return iram_[address];
  if (hooks_.sfrReadLatch && !kHeld.held[address - 0x80])
    return hooks_.sfrReadLatch(hooks_.context, address);
  return readSfr(address);
}

inline void Core::writeDirect(std::uint8_t address, std::uint8_t value) {
  if (address < 0x80)
    iram_[address] = value;
  else if (address == ACC)
    sfr_[ACC - 0x80] = value;
  else
    writeSfr(address, value);
}

inline bool Core::readBit(std::uint8_t bit) {
  const std::uint8_t mask = static_cast<std::uint8_t>(1u << (bit & 7));
  if (bit < 0x80) return iram_[0x20 + (bit >> 3)] & mask;
  return readSfr(bit & 0xF8) & mask;
}

inline void Core::writeBit(std::uint8_t bit, bool value) {
  const std::uint8_t mask = static_cast<std::uint8_t>(1u << (bit & 7));
  const std::uint8_t address = bit < 0x80 ? static_cast<std::uint8_t>(0x20 + (bit >> 3))
                                          : static_cast<std::uint8_t>(bit & 0xF8);
  const std::uint8_t old = readDirectLatch(address);
  writeDirect(address, value ? (old | mask) : (old & ~mask));
}

// The bit as a read-modify-write instruction sees it: a port's latch, not its pins.
inline bool Core::readBitLatch(std::uint8_t bit) {
  const std::uint8_t mask = static_cast<std::uint8_t>(1u << (bit & 7));
  if (bit < 0x80) return iram_[0x20 + (bit >> 3)] & mask;
  return readDirectLatch(bit & 0xF8) & mask;
}

inline std::uint8_t Core::xdataRead(std::uint16_t address) {
  if (address < memorySize_) return memory_[address];
  return hooks_.xdataRead ? hooks_.xdataRead(hooks_.context, address) : 0xFF;
}

inline void Core::xdataWrite(std::uint16_t address, std::uint8_t value) {
  if (address < memorySize_)
    memory_[address] = value;
  else if (hooks_.xdataWrite)
    hooks_.xdataWrite(hooks_.context, address, value);
}

// ---- execution ----

// Inlined into the run loop: the call per instruction costs a quarter of the speed.
NB_ALWAYS_INLINE inline unsigned Core::execute() {
  std::uint16_t pc = pc_;
  const auto code = [this](std::uint16_t a) -> std::uint8_t {
    return a < memorySize_ ? memory_[a] : 0xFF;
  };
  const std::uint8_t op = code(pc);
  unsigned cyc = kCycles[op];
  blockOnce_ = false;  // this instruction is the one a block held back; it may set a new one
  std::uint8_t& a = sfr_[ACC - 0x80];
  std::uint8_t& flags = sfr_[PSW - 0x80];
  std::uint8_t& sp = sfr_[SP - 0x80];
  const auto reg = [this](unsigned n) -> std::uint8_t& { return iram_[bank_ + n]; };
  const auto indirect = [this](unsigned i) -> std::uint8_t& { return iram_[iram_[bank_ + i]]; };
  const auto rel = [](std::uint16_t next, std::uint8_t offset) {
    return static_cast<std::uint16_t>(next + static_cast<std::int8_t>(offset));
  };
  const auto push = [&](std::uint8_t v) { iram_[++sp] = v; };
  const auto pop = [&]() -> std::uint8_t { return iram_[sp--]; };
  const auto add = [&](std::uint8_t v, unsigned carry) {
    const unsigned r = a + v + carry;
    std::uint8_t f = flags & ~(CY | AC | OV);
    if (r > 0xFF) f |= CY;
    if ((a & 0x0F) + (v & 0x0F) + carry > 0x0F) f |= AC;
    if ((a ^ r) & (v ^ r) & 0x80) f |= OV;
    flags = f;
    a = static_cast<std::uint8_t>(r);
  };
  const auto subb = [&](std::uint8_t v) {
    const unsigned carry = (flags & CY) ? 1 : 0;
    const unsigned r = a - v - carry;
    std::uint8_t f = flags & ~(CY | AC | OV);
    if (a < v + carry) f |= CY;
    if ((a & 0x0F) < (v & 0x0F) + carry) f |= AC;
    if ((a ^ v) & (a ^ r) & 0x80) f |= OV;
    flags = f;
    a = static_cast<std::uint8_t>(r);
  };
  const auto setCarry = [&](bool c) { flags = c ? (flags | CY) : (flags & ~CY); };
  const auto dptrRef = [&]() -> std::uint16_t {
    return static_cast<std::uint16_t>(sfr_[dpl_ + 1 - 0x80] << 8 | sfr_[dpl_ - 0x80]);
  };
  const auto setDptr = [&](std::uint16_t v) {
    sfr_[dpl_ - 0x80] = static_cast<std::uint8_t>(v);
    sfr_[dpl_ + 1 - 0x80] = static_cast<std::uint8_t>(v >> 8);
  };
  const auto stretch = [&]() { return static_cast<unsigned>(sfr_[CKCON - 0x80] & 7); };
  const auto mpageAddress = [&](unsigned i) {
    return static_cast<std::uint16_t>(sfr_[MPAGE - 0x80] << 8 | iram_[bank_ + i]);
  };

  switch (op) {
    case 0x00: pc += 1; break;  // NOP
    case 0x01: case 0x21: case 0x41: case 0x61: case 0x81: case 0xA1: case 0xC1: case 0xE1:
      pc = static_cast<std::uint16_t>(((pc + 2) & 0xF800) | ((op >> 5) << 8) | code(pc + 1));
      break;  // AJMP
    case 0x11: case 0x31: case 0x51: case 0x71: case 0x91: case 0xB1: case 0xD1: case 0xF1: {
      const std::uint16_t next = pc + 2;  // ACALL
      push(static_cast<std::uint8_t>(next));
      push(static_cast<std::uint8_t>(next >> 8));
      pc = static_cast<std::uint16_t>((next & 0xF800) | ((op >> 5) << 8) | code(pc + 1));
      break;
    }
    case 0x02: pc = static_cast<std::uint16_t>(code(pc + 1) << 8 | code(pc + 2)); break;
    case 0x12: {
      const std::uint16_t next = pc + 3;
      push(static_cast<std::uint8_t>(next));
      push(static_cast<std::uint8_t>(next >> 8));
      pc = static_cast<std::uint16_t>(code(pc + 1) << 8 | code(pc + 2));
      break;
    }
    case 0x22:
    case 0x32: {
      const std::uint8_t hi = pop();
      pc = static_cast<std::uint16_t>(hi << 8 | pop());
      if (op == 0x32) {
        inService_ &= (inService_ & 2) ? 1 : 0;
        blockOnce_ = true;
        updateInterrupts();
      }
      break;
    }
    case 0x03: a = static_cast<std::uint8_t>(a >> 1 | a << 7); pc += 1; break;  // RR A
    case 0x13: {  // RRC A
      const bool c = a & 1;
      a = static_cast<std::uint8_t>(a >> 1 | (flags & CY));
      setCarry(c);
      pc += 1;
      break;
    }
    case 0x23: a = static_cast<std::uint8_t>(a << 1 | a >> 7); pc += 1; break;  // RL A
    case 0x33: {  // RLC A
      const bool c = a & 0x80;
      a = static_cast<std::uint8_t>(a << 1 | ((flags & CY) ? 1 : 0));
      setCarry(c);
      pc += 1;
      break;
    }
    case 0x04: ++a; pc += 1; break;
    case 0x05: {
      const std::uint8_t d = code(pc + 1);
      writeDirect(d, static_cast<std::uint8_t>(readDirectLatch(d) + 1));
      pc += 2;
      break;
    }
    case 0x06: case 0x07: ++indirect(op & 1); pc += 1; break;
    case 0x08: case 0x09: case 0x0A: case 0x0B: case 0x0C: case 0x0D: case 0x0E: case 0x0F:
      ++reg(op & 7);
      pc += 1;
      break;
    case 0x10: {  // JBC
      const std::uint8_t bit = code(pc + 1);
      const std::uint16_t next = pc + 3;
      pc = next;
      if (readBitLatch(bit)) {
        writeBit(bit, false);
        pc = rel(next, code(next - 1));
      }
      break;
    }
    case 0x20: case 0x30: {  // JB, JNB
      const bool set = readBit(code(pc + 1));
      const std::uint16_t next = pc + 3;
      pc = (set == (op == 0x20)) ? rel(next, code(pc + 2)) : next;
      break;
    }
    case 0x40: case 0x50: {  // JC, JNC
      const bool c = flags & CY;
      pc = (c == (op == 0x40)) ? rel(pc + 2, code(pc + 1)) : static_cast<std::uint16_t>(pc + 2);
      break;
    }
    case 0x60: case 0x70: {  // JZ, JNZ
      pc = ((a == 0) == (op == 0x60)) ? rel(pc + 2, code(pc + 1))
                                      : static_cast<std::uint16_t>(pc + 2);
      break;
    }
    case 0x80: pc = rel(pc + 2, code(pc + 1)); break;  // SJMP
    case 0x14: --a; pc += 1; break;
    case 0x15: {
      const std::uint8_t d = code(pc + 1);
      writeDirect(d, static_cast<std::uint8_t>(readDirectLatch(d) - 1));
      pc += 2;
      break;
    }
    case 0x16: case 0x17: --indirect(op & 1); pc += 1; break;
    case 0x18: case 0x19: case 0x1A: case 0x1B: case 0x1C: case 0x1D: case 0x1E: case 0x1F:
      --reg(op & 7);
      pc += 1;
      break;
    // ADD, ADDC, SUBB: immediate, direct, @Ri, Rn
    case 0x24: add(code(pc + 1), 0); pc += 2; break;
    case 0x25: add(readDirect(code(pc + 1)), 0); pc += 2; break;
    case 0x26: case 0x27: add(indirect(op & 1), 0); pc += 1; break;
    case 0x28: case 0x29: case 0x2A: case 0x2B: case 0x2C: case 0x2D: case 0x2E: case 0x2F:
      add(reg(op & 7), 0);
      pc += 1;
      break;
    case 0x34: add(code(pc + 1), (flags & CY) ? 1 : 0); pc += 2; break;
    case 0x35: add(readDirect(code(pc + 1)), (flags & CY) ? 1 : 0); pc += 2; break;
    case 0x36: case 0x37: add(indirect(op & 1), (flags & CY) ? 1 : 0); pc += 1; break;
    case 0x38: case 0x39: case 0x3A: case 0x3B: case 0x3C: case 0x3D: case 0x3E: case 0x3F:
      add(reg(op & 7), (flags & CY) ? 1 : 0);
      pc += 1;
      break;
    case 0x94: subb(code(pc + 1)); pc += 2; break;
    case 0x95: subb(readDirect(code(pc + 1))); pc += 2; break;
    case 0x96: case 0x97: subb(indirect(op & 1)); pc += 1; break;
    case 0x98: case 0x99: case 0x9A: case 0x9B: case 0x9C: case 0x9D: case 0x9E: case 0x9F:
      subb(reg(op & 7));
      pc += 1;
      break;

#define NB_LOGIC(BASE, OPER)                                                              \
  case BASE + 0x02: {                                                                     \
    const std::uint8_t d = code(pc + 1);                                                  \
    writeDirect(d, static_cast<std::uint8_t>(readDirectLatch(d) OPER a));                 \
    pc += 2;                                                                              \
    break;                                                                                \
  }                                                                                       \
  case BASE + 0x03: {                                                                     \
    const std::uint8_t d = code(pc + 1);                                                  \
    writeDirect(d, static_cast<std::uint8_t>(readDirectLatch(d) OPER code(pc + 2)));      \
    pc += 3;                                                                              \
    break;                                                                                \
  }                                                                                       \
  case BASE + 0x04: a = static_cast<std::uint8_t>(a OPER code(pc + 1)); pc += 2; break;   \
  case BASE + 0x05:                                                                       \
    a = static_cast<std::uint8_t>(a OPER readDirect(code(pc + 1)));                       \
    pc += 2;                                                                              \
    break;                                                                                \
  case BASE + 0x06: case BASE + 0x07:                                                     \
    a = static_cast<std::uint8_t>(a OPER indirect(op & 1));                               \
    pc += 1;                                                                              \
    break;                                                                                \
  case BASE + 0x08: case BASE + 0x09: case BASE + 0x0A: case BASE + 0x0B:                 \
  case BASE + 0x0C: case BASE + 0x0D: case BASE + 0x0E: case BASE + 0x0F:                 \
    a = static_cast<std::uint8_t>(a OPER reg(op & 7));                                    \
    pc += 1;                                                                              \
    break;
      NB_LOGIC(0x40, |)
      NB_LOGIC(0x50, &)
      NB_LOGIC(0x60, ^)
#undef NB_LOGIC

    case 0x72: setCarry((flags & CY) || readBit(code(pc + 1))); pc += 2; break;   // ORL C,bit
    case 0xA0: setCarry((flags & CY) || !readBit(code(pc + 1))); pc += 2; break;  // ORL C,/bit
    case 0x82: setCarry((flags & CY) && readBit(code(pc + 1))); pc += 2; break;   // ANL C,bit
    case 0xB0: setCarry((flags & CY) && !readBit(code(pc + 1))); pc += 2; break;  // ANL C,/bit
    case 0x73: pc = static_cast<std::uint16_t>(a + dptrRef()); break;  // JMP @A+DPTR
    case 0x74: a = code(pc + 1); pc += 2; break;
    case 0x75: writeDirect(code(pc + 1), code(pc + 2)); pc += 3; break;
    case 0x76: case 0x77: indirect(op & 1) = code(pc + 1); pc += 2; break;
    case 0x78: case 0x79: case 0x7A: case 0x7B: case 0x7C: case 0x7D: case 0x7E: case 0x7F:
      reg(op & 7) = code(pc + 1);
      pc += 2;
      break;
    case 0x83: a = code(static_cast<std::uint16_t>(pc + 1 + a)); pc += 1; break;  // MOVC @A+PC
    case 0x93: a = code(static_cast<std::uint16_t>(dptrRef() + a)); pc += 1; break;
    case 0x84: {  // DIV AB; by zero: OV set, A and B kept
      std::uint8_t& b = sfr_[B - 0x80];
      flags &= ~(CY | OV);
      if (b == 0) {
        flags |= OV;
      } else {
        const std::uint8_t q = a / b, r = a % b;
        a = q;
        b = r;
      }
      pc += 1;
      break;
    }
    case 0xA4: {  // MUL AB
      std::uint8_t& b = sfr_[B - 0x80];
      const unsigned p = a * b;
      flags &= ~(CY | OV);
      if (p > 0xFF) flags |= OV;
      a = static_cast<std::uint8_t>(p);
      b = static_cast<std::uint8_t>(p >> 8);
      pc += 1;
      break;
    }
    case 0x85: {  // MOV direct,direct: source first
      const std::uint8_t v = readDirect(code(pc + 1));
      writeDirect(code(pc + 2), v);
      pc += 3;
      break;
    }
    case 0x86: case 0x87: writeDirect(code(pc + 1), indirect(op & 1)); pc += 2; break;
    case 0x88: case 0x89: case 0x8A: case 0x8B: case 0x8C: case 0x8D: case 0x8E: case 0x8F:
      writeDirect(code(pc + 1), reg(op & 7));
      pc += 2;
      break;
    case 0x90: setDptr(static_cast<std::uint16_t>(code(pc + 1) << 8 | code(pc + 2))); pc += 3; break;
    case 0x92: writeBit(code(pc + 1), flags & CY); pc += 2; break;  // MOV bit,C
    case 0xA2: setCarry(readBit(code(pc + 1))); pc += 2; break;     // MOV C,bit
    case 0xA3: setDptr(static_cast<std::uint16_t>(dptrRef() + 1)); pc += 1; break;
    case 0xA5:
      stop_ = StopReason::ReservedOpcode;
      stopAddress_ = pc;
      return 0;
    case 0xA6: case 0xA7: indirect(op & 1) = readDirect(code(pc + 1)); pc += 2; break;
    case 0xA8: case 0xA9: case 0xAA: case 0xAB: case 0xAC: case 0xAD: case 0xAE: case 0xAF:
      reg(op & 7) = readDirect(code(pc + 1));
      pc += 2;
      break;
    case 0xB2: {  // CPL bit
      const std::uint8_t bit = code(pc + 1);
      writeBit(bit, !readBitLatch(bit));
      pc += 2;
      break;
    }
    case 0xB3: flags ^= CY; pc += 1; break;
    case 0xC2: writeBit(code(pc + 1), false); pc += 2; break;
    case 0xC3: flags &= ~CY; pc += 1; break;
    case 0xD2: writeBit(code(pc + 1), true); pc += 2; break;
    case 0xD3: flags |= CY; pc += 1; break;
    case 0xB4: case 0xB5: case 0xB6: case 0xB7: case 0xB8: case 0xB9: case 0xBA: case 0xBB:
    case 0xBC: case 0xBD: case 0xBE: case 0xBF: {  // CJNE
      std::uint8_t left, right;
      if (op == 0xB4) {
        left = a;
        right = code(pc + 1);
      } else if (op == 0xB5) {
        left = a;
        right = readDirect(code(pc + 1));
      } else if (op < 0xB8) {
        left = indirect(op & 1);
        right = code(pc + 1);
      } else {
        left = reg(op & 7);
        right = code(pc + 1);
      }
      setCarry(left < right);
      const std::uint16_t next = pc + 3;
      pc = left != right ? rel(next, code(pc + 2)) : next;
      break;
    }
    case 0xC0: { const std::uint8_t v = readDirect(code(pc + 1)); push(v); pc += 2; break; }
    case 0xD0: { const std::uint8_t v = pop(); writeDirect(code(pc + 1), v); pc += 2; break; }
    case 0xC4: a = static_cast<std::uint8_t>(a << 4 | a >> 4); pc += 1; break;
    case 0xC5: {
      const std::uint8_t d = code(pc + 1);
      const std::uint8_t v = readDirect(d);
      writeDirect(d, a);
      a = v;
      pc += 2;
      break;
    }
    case 0xC6: case 0xC7: { std::uint8_t& m = indirect(op & 1); const std::uint8_t v = m; m = a; a = v; pc += 1; break; }
    case 0xC8: case 0xC9: case 0xCA: case 0xCB: case 0xCC: case 0xCD: case 0xCE: case 0xCF: {
      std::uint8_t& r = reg(op & 7);
      const std::uint8_t v = r;
      r = a;
      a = v;
      pc += 1;
      break;
    }
    case 0xD4: {  // DA A: CY is only ever set, AC and OV untouched
      unsigned v = a;
      bool c = flags & CY;
      if ((v & 0x0F) > 9 || (flags & AC)) {
        v += 0x06;
        if (v > 0xFF) c = true;
      }
      if (((v >> 4) & 0x1F) > 9 || c) {
        v += 0x60;
        if (v > 0xFF) c = true;
      }
      a = static_cast<std::uint8_t>(v);
      setCarry(c);
      pc += 1;
      break;
    }
    case 0xD5: {  // DJNZ direct,rel
      const std::uint8_t d = code(pc + 1);
      const std::uint8_t v = static_cast<std::uint8_t>(readDirectLatch(d) - 1);
      writeDirect(d, v);
      const std::uint16_t next = pc + 3;
      pc = v ? rel(next, code(pc + 2)) : next;
      break;
    }
    case 0xD6: case 0xD7: {  // XCHD
      std::uint8_t& m = indirect(op & 1);
      const std::uint8_t v = m;
      m = static_cast<std::uint8_t>((m & 0xF0) | (a & 0x0F));
      a = static_cast<std::uint8_t>((a & 0xF0) | (v & 0x0F));
      pc += 1;
      break;
    }
    case 0xD8: case 0xD9: case 0xDA: case 0xDB: case 0xDC: case 0xDD: case 0xDE: case 0xDF: {
      const std::uint8_t v = --reg(op & 7);
      pc = v ? rel(pc + 2, code(pc + 1)) : static_cast<std::uint16_t>(pc + 2);
      break;
    }
    case 0xE0: a = xdataRead(dptrRef()); cyc += stretch(); pc += 1; break;
    case 0xE2: case 0xE3: a = xdataRead(mpageAddress(op & 1)); cyc += stretch(); pc += 1; break;
    case 0xF0: xdataWrite(dptrRef(), a); cyc += stretch(); pc += 1; break;
    case 0xF2: case 0xF3: xdataWrite(mpageAddress(op & 1), a); cyc += stretch(); pc += 1; break;
    case 0xE4: a = 0; pc += 1; break;
    case 0xE5: a = readDirect(code(pc + 1)); pc += 2; break;
    case 0xE6: case 0xE7: a = indirect(op & 1); pc += 1; break;
    case 0xE8: case 0xE9: case 0xEA: case 0xEB: case 0xEC: case 0xED: case 0xEE: case 0xEF:
      a = reg(op & 7);
      pc += 1;
      break;
    case 0xF4: a = static_cast<std::uint8_t>(~a); pc += 1; break;
    case 0xF5: writeDirect(code(pc + 1), a); pc += 2; break;
    case 0xF6: case 0xF7: indirect(op & 1) = a; pc += 1; break;
    case 0xF8: case 0xF9: case 0xFA: case 0xFB: case 0xFC: case 0xFD: case 0xFE: case 0xFF:
      reg(op & 7) = a;
      pc += 1;
      break;
  }
  pc_ = pc;
  cycles_ += cyc;
  ++instructions_;
  return cyc;
}


unsigned Core::step() {
  if (irqArmed_ | idle_) {
    if (const unsigned spent = serviceInterruptOrIdle()) return spent;
    if (idle_) {
      ++cycles_;
      return 1;
    }
  }
  return execute();
}

template <bool kByCycles, bool kBreak>
std::uint64_t Core::runLoop(std::uint64_t limit, std::uint16_t pcBreak) {
  const std::uint64_t start = instructions_;
  for (;;) {
    if constexpr (kByCycles) {
      if (cycles_ >= limit) break;
    } else {
      if (instructions_ - start >= limit) break;
    }
    if (stop_ != StopReason::None) break;
    if (irqArmed_ | idle_) {
      if (serviceInterruptOrIdle()) continue;
      // Nothing changes while idle inside one run: the chip raises requests between runs
      // or from hooks, and an idle core calls none.
      if (idle_) {
        if constexpr (kByCycles) cycles_ = limit;
        break;
      }
    }
    if constexpr (kBreak) {
      if (pc_ == pcBreak) break;
    }
    execute();
  }
  return instructions_ - start;
}

std::uint64_t Core::run(std::uint64_t cycleLimit, std::int32_t pcBreak) {
  if (pcBreak >= 0) return runLoop<true, true>(cycleLimit, static_cast<std::uint16_t>(pcBreak));
  return runLoop<true, false>(cycleLimit, 0);
}

std::uint64_t Core::runInstructions(std::uint64_t count, std::int32_t pcBreak) {
  if (pcBreak >= 0) return runLoop<false, true>(count, static_cast<std::uint16_t>(pcBreak));
  return runLoop<false, false>(count, 0);
}

}  // namespace mcs51
