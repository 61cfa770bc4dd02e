#include "random_program.h"

#include <functional>
#include <random>
#include <stdexcept>

namespace mcs51::testing {

namespace {

// Subroutines sit one per 256-byte page from 0x300 on, after the body, and one in each of the
// pages 0 to 2 inside the body (jumped over), so ACALL and AJMP are encoded with every page.
constexpr unsigned kPagedSubroutines = 5;
constexpr unsigned kFirstSubroutinePage = 3;
constexpr unsigned kEmbeddedSubroutines = 3;
constexpr unsigned kSubroutines = kPagedSubroutines + kEmbeddedSubroutines;
constexpr int kEnd = -1;  // target: the final SJMP

// One piece of the program. `target` is the index of a later item (or kEnd, or a subroutine
// for calls); the bytes are produced once every item's address is known.
struct Item {
  std::function<std::vector<std::uint8_t>(std::uint16_t self, std::uint16_t next,
                                          std::uint16_t target)>
      emit;
  int target = 0;
  bool call = false;
  bool local = false;      // target is exactly that item (inside a subroutine)
  bool enterable = true;   // a branch of the body may land here (not inside a subroutine)
  unsigned size = 0;
};

class Generator {
 public:
  explicit Generator(std::uint32_t seed) : rng_(seed) {}

  RandomProgram build(unsigned count);

 private:
  unsigned below(unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(rng_); }
  bool chance(unsigned percent) { return below(100) < percent; }
  std::uint8_t immediate() {
    static constexpr std::uint8_t corners[] = {0x00, 0x01, 0x09, 0x0A, 0x0F, 0x10, 0x7F, 0x80,
                                               0x90, 0x99, 0x9A, 0xF0, 0xFE, 0xFF, 0x66, 0x06};
    return chance(40) ? corners[below(sizeof corners)] : static_cast<std::uint8_t>(below(256));
  }
  // Direct addresses: internal RAM, and the SFRs whose every value is harmless (not SP,
  // DPH, DPS, P2/MPAGE, CKCON or the interrupt registers, which the programs set on purpose).
  std::uint8_t direct() {
    static constexpr std::uint8_t sfrs[] = {0xE0, 0xF0, 0xD0, 0x82, 0x84};
    return chance(80) ? static_cast<std::uint8_t>(below(0x80)) : sfrs[below(sizeof sfrs)];
  }
  // Bits: the bit area and the bits of ACC, B and PSW, except PSW's RS1:RS0 (ucsim 0.6.4 does
  // not switch the register bank when a bit instruction changes them; our own tests cover it).
  std::uint8_t bit() {
    static constexpr std::uint8_t bytes[] = {0xE0, 0xF0, 0xD0};
    if (chance(70)) return static_cast<std::uint8_t>(below(0x80));
    std::uint8_t b;
    do {
      b = static_cast<std::uint8_t>(bytes[below(3)] + below(8));
    } while (b == 0xD3 || b == 0xD4);
    return b;
  }
  void fixed(std::vector<std::uint8_t> bytes) {
    Item item;
    item.size = static_cast<unsigned>(bytes.size());
    item.emit = [bytes](std::uint16_t, std::uint16_t, std::uint16_t) { return bytes; };
    items_.push_back(item);
  }
  unsigned size() const {
    unsigned total = 0;
    for (const Item& item : items_) total += item.size;
    return total;
  }
  void generic(bool subroutine);
  void branch();
  void pattern();
  void subroutine(unsigned index, bool embedded);

  std::mt19937 rng_;
  std::vector<Item> items_;
  unsigned subroutineStart_[kSubroutines]{};
};

// Length of every opcode.
constexpr std::uint8_t kLength[256] = {
    1, 2, 3, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 3, 2, 3, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    3, 2, 1, 1, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 3, 2, 1, 1, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    2, 2, 2, 3, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 3, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    2, 2, 2, 3, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 1, 2, 3, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2,
    2, 2, 2, 1, 1, 3, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 3, 2, 2, 1, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    2, 2, 2, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3,
    2, 2, 2, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 1, 1, 3, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2,
    1, 2, 1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

bool isControl(std::uint8_t op) {
  if ((op & 0x1F) == 0x01 || (op & 0x1F) == 0x11) return true;  // AJMP, ACALL
  switch (op) {
    case 0x02: case 0x12: case 0x22: case 0x32: case 0x10: case 0x20: case 0x30: case 0x40:
    case 0x50: case 0x60: case 0x70: case 0x80: case 0x73: case 0xD5:
      return true;
    default: return (op >= 0xB4 && op <= 0xBF) || (op >= 0xD8 && op <= 0xDF);
  }
}

bool isSpecial(std::uint8_t op) {
  switch (op) {
    case 0xA5:                                      // reserved
    case 0x93:                                      // MOVC @A+DPTR: own pattern
    case 0xE0: case 0xE2: case 0xE3: case 0xF0: case 0xF2: case 0xF3:  // MOVX: own pattern
    case 0x90:                                      // MOV DPTR,#: own pattern
      return true;
    default: return false;
  }
}

// Instructions a subroutine may use: they change only A, B and PSW's flags and read the rest.
bool subroutineSafe(std::uint8_t op) {
  const std::uint8_t lo = op & 0x0F, hi = op >> 4;
  if (lo >= 4 && (hi == 2 || hi == 3 || hi == 4 || hi == 5 || hi == 6 || hi == 9 || hi == 0xE))
    return true;  // ADD, ADDC, ORL, ANL, XRL, SUBB, MOV A,<src>; CLR A (E4)
  switch (op) {
    case 0x03: case 0x13: case 0x23: case 0x33: case 0x04: case 0x14: case 0xC4: case 0xD4:
    case 0x84: case 0xA4: case 0xF4: case 0xB3: case 0xC3: case 0xD3: case 0xA2: case 0x72:
    case 0x82: case 0xA0: case 0xB0: case 0x83: case 0x00:
      return true;
    default: return false;
  }
}

void Generator::generic(bool subroutine) {
  std::uint8_t op;
  do {
    op = static_cast<std::uint8_t>(below(256));
  } while (isControl(op) || isSpecial(op) || (subroutine && !subroutineSafe(op)));
  std::vector<std::uint8_t> bytes{op};
  const unsigned length = kLength[op];
  // Operand kinds by opcode form.
  const std::uint8_t lo = op & 0x0F;
  const bool bitOperand = op == 0x72 || op == 0x82 || op == 0x92 || op == 0xA0 ||
                          op == 0xA2 || op == 0xB0 || op == 0xB2 || op == 0xC2 || op == 0xD2;
  if (length >= 2) {
    if (bitOperand) {
      bytes.push_back(bit());
    } else if (op == 0x85) {
      bytes.push_back(direct());
      bytes.push_back(direct());
    } else if ((lo == 4 && op != 0xC4 && op != 0xD4 && op != 0xE4 && op != 0xF4) ||
               (op >= 0x76 && op <= 0x7F)) {
      bytes.push_back(immediate());  // #data
    } else if (op == 0x75 || lo == 3) {
      bytes.push_back(direct());
      bytes.push_back(immediate());  // direct,#data
    } else {
      std::uint8_t d = direct();
      // ucsim 0.6.4 leaves P as the old accumulator's parity after XCH A,PSW; P always
      // reflects ACC (our own tests cover it).
      while (op == 0xC5 && d == 0xD0) d = direct();
      bytes.push_back(d);
    }
  }
  bytes.resize(length);  // lengths of the forms above always match; guard anyway
  fixed(bytes);
}

void Generator::branch() {
  Item item;
  const unsigned here = static_cast<unsigned>(items_.size());
  item.target = static_cast<int>(here + 1 + below(8));
  static constexpr std::uint8_t forms[] = {
      0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA,
      0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xD5, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
      0x01, 0x01, 0x02, 0x02};  // 0x01: AJMP, its page bits from the target
  const std::uint8_t op = forms[below(sizeof forms)];
  const std::uint8_t a = op == 0x10 || op == 0x20 || op == 0x30 ? bit()
                         : op == 0xB5 || op == 0xD5            ? direct()
                                                               : immediate();
  const bool absolute = (op & 0x1F) == 0x01 || op == 0x02;
  if (absolute && chance(10)) item.target = kEnd;  // far, straight to the end
  if ((op & 0x1F) == 0x01) {  // AJMP: the whole program lies in the first 2 KB page
    item.size = 2;
    item.emit = [](std::uint16_t, std::uint16_t, std::uint16_t t) {
      return std::vector<std::uint8_t>{static_cast<std::uint8_t>(((t >> 8) << 5) | 0x01),
                                       static_cast<std::uint8_t>(t)};
    };
  } else if (op == 0x02) {
    item.size = 3;
    item.emit = [](std::uint16_t, std::uint16_t, std::uint16_t t) {
      return std::vector<std::uint8_t>{0x02, static_cast<std::uint8_t>(t >> 8),
                                       static_cast<std::uint8_t>(t)};
    };
  } else {
    const unsigned size = kLength[op];
    item.size = size;
    item.emit = [op, a, size](std::uint16_t, std::uint16_t next, std::uint16_t t) {
      const int offset = static_cast<int>(t) - static_cast<int>(next);
      if (offset > 127) throw std::logic_error("branch out of range");
      std::vector<std::uint8_t> bytes{op};
      if (size == 3) bytes.push_back(a);
      bytes.push_back(static_cast<std::uint8_t>(offset));
      return bytes;
    };
  }
  items_.push_back(item);
}

void Generator::pattern() {
  const std::uint8_t low = static_cast<std::uint8_t>(below(256));
  const std::uint8_t high = static_cast<std::uint8_t>(kXramFirst >> 8) + static_cast<std::uint8_t>(below(3));
  switch (below(9)) {
    case 0: fixed({0x90, high, low}); break;                       // MOV DPTR,#xram
    case 1: fixed({0x75, 0x86, static_cast<std::uint8_t>(below(2))}); break;  // DPS
    case 2: fixed({0x75, 0x8E, static_cast<std::uint8_t>(below(8))}); break;  // CKCON stretch
    case 3: fixed({0xE0}); break;                                  // MOVX A,@DPTR
    case 4: fixed({0xF0}); break;                                  // MOVX @DPTR,A
    case 5: fixed({static_cast<std::uint8_t>(0xE2 + below(2))}); break;  // MOVX A,@Ri
    case 6: fixed({static_cast<std::uint8_t>(0xF2 + below(2))}); break;  // MOVX @Ri,A
    case 7:  // MOVC A,@A+DPTR from the code, then the pointer back into external RAM
      fixed({0x90, 0x00, static_cast<std::uint8_t>(below(256)), 0x93, 0x90, high, low});
      break;
    default: {  // JMP @A+DPTR to just after itself, which puts the pointer back
      Item item;
      const std::uint8_t k = static_cast<std::uint8_t>(below(256));
      item.size = 9;
      item.emit = [k, high, low](std::uint16_t self, std::uint16_t, std::uint16_t) {
        const std::uint16_t base = static_cast<std::uint16_t>(self + 6 - k);
        return std::vector<std::uint8_t>{0x74, k, 0x90, static_cast<std::uint8_t>(base >> 8),
                                         static_cast<std::uint8_t>(base), 0x73, 0x90, high, low};
      };
      items_.push_back(item);
      break;
    }
  }
}

// A few A/B/flag instructions, now and then an AJMP to the next one, then RET (or RETI, which
// outside an interrupt returns the same way). Embedded in the body, an SJMP leads around it.
void Generator::subroutine(unsigned index, bool embedded) {
  const std::size_t jumpOver = items_.size();
  if (embedded) {
    Item over;
    over.size = 2;
    over.local = true;
    over.emit = [](std::uint16_t, std::uint16_t next, std::uint16_t t) {
      return std::vector<std::uint8_t>{0x80, static_cast<std::uint8_t>(t - next)};
    };
    items_.push_back(over);
  }
  const std::size_t first = items_.size();
  subroutineStart_[index] = static_cast<unsigned>(first);
  const unsigned length = 1 + below(6);
  for (unsigned i = 0; i < length; ++i) {
    if (chance(25)) {
      Item jump;
      jump.size = 2;
      jump.local = true;
      jump.target = static_cast<int>(items_.size() + 1);
      jump.emit = [](std::uint16_t, std::uint16_t, std::uint16_t t) {
        return std::vector<std::uint8_t>{static_cast<std::uint8_t>(((t >> 8) << 5) | 0x01),
                                         static_cast<std::uint8_t>(t)};
      };
      items_.push_back(jump);
    }
    generic(true);
  }
  fixed({static_cast<std::uint8_t>(chance(80) ? 0x22 : 0x32)});
  for (std::size_t i = first; i < items_.size(); ++i) items_[i].enterable = false;
  if (embedded) items_[jumpOver].target = static_cast<int>(items_.size());
}

RandomProgram Generator::build(unsigned count) {
  // Set-up: both data pointers and the @Ri page inside external RAM (MPAGE on the FX2, P2 on
  // ucsim's model), the stack above the bit area, random A, B and registers.
  const std::uint8_t page = static_cast<std::uint8_t>(kXramFirst >> 8);
  fixed({0x75, 0x86, 0x01, 0x90, page, static_cast<std::uint8_t>(below(256)), 0x75, 0x86, 0x00,
         0x90, page, static_cast<std::uint8_t>(below(256)), 0x75, 0x92, page, 0x75, 0xA0, page,
         0x75, 0x81, static_cast<std::uint8_t>(0x30 + below(0x20)), 0x74, immediate(), 0x75,
         0xF0, immediate()});
  for (unsigned r = 0; r < 8; ++r) fixed({static_cast<std::uint8_t>(0x78 + r), immediate()});
  const unsigned firstBody = static_cast<unsigned>(items_.size());
  unsigned embedded = 0;
  while ((items_.size() - firstBody < count || embedded < kEmbeddedSubroutines) &&
         size() < kFirstSubroutinePage * 0x100 - 0x40) {
    if (embedded < kEmbeddedSubroutines && size() >= embedded * 0x100) {
      subroutine(kPagedSubroutines + embedded, true);
      ++embedded;
      continue;
    }
    const unsigned roll = below(100);
    if (roll < 62) {
      generic(false);
    } else if (roll < 80) {
      branch();
    } else if (roll < 90) {
      pattern();
    } else {
      Item item;
      item.call = true;
      item.target = static_cast<int>(below(kSubroutines));
      const bool acall = chance(50);
      item.size = acall ? 2 : 3;
      item.emit = [acall](std::uint16_t, std::uint16_t, std::uint16_t t) {
        if (acall)
          return std::vector<std::uint8_t>{static_cast<std::uint8_t>(((t >> 8) << 5) | 0x11),
                                           static_cast<std::uint8_t>(t)};
        return std::vector<std::uint8_t>{0x12, static_cast<std::uint8_t>(t >> 8),
                                         static_cast<std::uint8_t>(t)};
      };
      items_.push_back(item);
    }
  }
  const unsigned bodyEnd = static_cast<unsigned>(items_.size());
  fixed({0x80, 0xFE});  // end: SJMP to itself
  if (embedded < kEmbeddedSubroutines) throw std::logic_error("body too short for its subroutines");
  for (unsigned s = 0; s < kPagedSubroutines; ++s) {
    const unsigned page = (kFirstSubroutinePage + s) * 0x100 + below(0x40);
    if (size() > page) throw std::logic_error("subroutine overlaps the body");
    fixed(std::vector<std::uint8_t>(page - size(), 0x00));  // never executed
    subroutine(s, false);
  }

  std::vector<std::uint16_t> address(items_.size() + 1);
  for (std::size_t i = 0; i < items_.size(); ++i)
    address[i + 1] = static_cast<std::uint16_t>(address[i] + items_[i].size);
  if (address.back() >= 0x800) throw std::logic_error("program larger than one 2 KB page");

  RandomProgram program;
  program.endAddress = address[bodyEnd];
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const Item& item = items_[i];
    std::uint16_t target = 0;
    if (item.call) {
      target = address[subroutineStart_[static_cast<unsigned>(item.target)]];
    } else if (item.local) {
      target = address[static_cast<unsigned>(item.target)];
    } else if (item.target == kEnd || static_cast<unsigned>(item.target) >= bodyEnd) {
      target = program.endAddress;
    } else {
      unsigned t = static_cast<unsigned>(item.target);
      while (t < bodyEnd && !items_[t].enterable) ++t;  // not into an embedded subroutine
      target = address[t];
    }
    const auto bytes = item.emit(address[i], address[i + 1], target);
    if (bytes.size() != item.size) throw std::logic_error("item size mismatch");
    program.code.insert(program.code.end(), bytes.begin(), bytes.end());
  }
  return program;
}

}  // namespace

RandomProgram generateRandomProgram(std::uint32_t seed, unsigned items) {
  return Generator(seed).build(items);
}

}  // namespace mcs51::testing
