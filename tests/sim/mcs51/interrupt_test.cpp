// Interrupts: vectoring of every source, the two priority levels, the one-instruction
// blocks after RETI and after IE/IP writes, latency, autovectoring and idle.
#include <gtest/gtest.h>

#include "core_fixture.h"

namespace mcs51::testing {
namespace {

constexpr std::uint8_t IE = 0xA8, IP = 0xB8, TCON = 0x88, EXIF = 0x91, EICON = 0xD8, EIE = 0xE8,
                       EIP = 0xF8, PCON = 0x87, SP = 0x81;
constexpr std::uint16_t kMain = 0x0200;

// Main line at kMain: INC 30h over and over (a counter of main-line instructions), every
// vector holds RETI unless a test puts something else there.
class Interrupts : public CoreFixture {
 protected:
  Interrupts() {
    load({0x02, kMain >> 8, kMain & 0xFF});
    for (unsigned v = 0x03; v <= 0x63; v += 8) memory[v] = 0x32;
    for (std::uint16_t a = kMain; a < kMain + 0x100; a += 2) load({0x05, 0x30}, a);
    core.step();  // the LJMP to the main line
  }
  // Steps until PC reaches `address`; false if it does not within `limit` steps.
  bool stepTo(std::uint16_t address, unsigned limit = 20) {
    for (unsigned i = 0; i < limit; ++i) {
      if (core.pc() == address) return true;
      core.step();
    }
    return core.pc() == address;
  }
  std::uint16_t stackedReturn() const {
    const std::uint8_t sp = core.sfr(SP);
    return static_cast<std::uint16_t>(core.iram(sp) << 8 | core.iram(static_cast<std::uint8_t>(sp - 1)));
  }
};

struct SourceCase {
  const char* name;
  Interrupt source;
  std::uint8_t ie, eie, eicon;  // enables
  std::uint8_t flagSfr, flagMask;  // the flag the core latches (0 when none)
  bool flagClearedOnEntry;
};

class EverySource : public Interrupts, public ::testing::WithParamInterface<SourceCase> {};

TEST_P(EverySource, VectorsWhenEnabledAndLatchesItsFlag) {
  const SourceCase& c = GetParam();
  core.setSfr(IE, c.ie);
  core.setSfr(EIE, c.eie);
  core.setSfr(EICON, c.eicon);
  core.step();
  const std::uint16_t interrupted = core.pc();
  core.raise(c.source);
  if (c.flagSfr) {
    EXPECT_TRUE(core.sfr(c.flagSfr) & c.flagMask);
  }
  EXPECT_EQ(core.step(), 4u);  // entered like an LCALL
  EXPECT_EQ(core.pc(), vectorAddress(c.source));
  EXPECT_EQ(stackedReturn(), interrupted);
  if (c.flagSfr) {
    EXPECT_EQ((core.sfr(c.flagSfr) & c.flagMask) == 0, c.flagClearedOnEntry);
  }
}

TEST_P(EverySource, IgnoredWithoutEaOrItsEnable) {
  const SourceCase& c = GetParam();
  core.setSfr(IE, c.ie & 0x7F);  // EA off
  core.setSfr(EIE, c.eie);
  core.setSfr(EICON, c.eicon);
  core.raise(c.source);
  core.runInstructions(5);
  EXPECT_GE(core.pc(), kMain);
  core.setSfr(IE, 0x80);  // EA on, but the source's own enable off
  core.setSfr(EIE, 0xE0);
  core.setSfr(EICON, 0x40);
  core.runInstructions(5);
  EXPECT_GE(core.pc(), kMain);
  EXPECT_EQ(core.interruptsInService(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, EverySource,
    ::testing::Values(
        SourceCase{"Int0", Interrupt::Int0, 0x81, 0xE0, 0x40, TCON, 0x02, false},  // level mode
        SourceCase{"Timer0", Interrupt::Timer0, 0x82, 0xE0, 0x40, TCON, 0x20, true},
        SourceCase{"Int1", Interrupt::Int1, 0x84, 0xE0, 0x40, TCON, 0x08, false},
        SourceCase{"Timer1", Interrupt::Timer1, 0x88, 0xE0, 0x40, TCON, 0x80, true},
        SourceCase{"Serial0", Interrupt::Serial0, 0x90, 0xE0, 0x40, 0, 0, false},
        SourceCase{"Timer2", Interrupt::Timer2, 0xA0, 0xE0, 0x40, 0, 0, false},
        SourceCase{"Resume", Interrupt::Resume, 0x80, 0xE0, 0x60, EICON, 0x10, false},
        SourceCase{"Serial1", Interrupt::Serial1, 0xC0, 0xE0, 0x40, 0, 0, false},
        SourceCase{"Int2", Interrupt::Int2, 0x80, 0xE1, 0x40, EXIF, 0x10, false},
        SourceCase{"Int3", Interrupt::Int3, 0x80, 0xE2, 0x40, EXIF, 0x20, false},
        SourceCase{"Int4", Interrupt::Int4, 0x80, 0xE4, 0x40, EXIF, 0x40, false},
        SourceCase{"Int5", Interrupt::Int5, 0x80, 0xE8, 0x40, EXIF, 0x80, false},
        SourceCase{"Int6", Interrupt::Int6, 0x80, 0xF0, 0x40, EICON, 0x08, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Interrupts, EdgeTriggeredExternalFlagIsClearedOnEntry) {
  core.setSfr(TCON, 0x01);  // IT0: edge
  core.setSfr(IE, 0x81);
  core.raise(Interrupt::Int0);
  core.step();
  EXPECT_EQ(core.pc(), 0x03);
  EXPECT_FALSE(core.sfr(TCON) & 0x02);
}

TEST_F(Interrupts, FirmwareClearingTheFlagWithdrawsTheRequest) {
  core.setSfr(IE, 0x80);
  core.setSfr(EIE, 0xE1);
  core.raise(Interrupt::Int2);
  core.clear(Interrupt::Int2);  // the line drops, the EXIF flag stays latched
  core.step();
  EXPECT_EQ(core.pc(), 0x43);
  load({0x53, EXIF, 0xEF, 0x32}, 0x43);  // ANL EXIF,#EF; RETI
  core.runInstructions(2);
  EXPECT_GE(core.pc(), kMain);
  core.runInstructions(5);
  EXPECT_GE(core.pc(), kMain);  // not entered again
}

struct PriorityCase {
  const char* name;
  std::uint8_t ip, eip;
  std::uint16_t firstVector;
};

class SimultaneousRequests : public Interrupts, public ::testing::WithParamInterface<PriorityCase> {};

// Int0, Timer0 and Int2 requested together.
TEST_P(SimultaneousRequests, HighLevelFirstThenNaturalOrder) {
  const PriorityCase& c = GetParam();
  core.setSfr(IE, 0x83);
  core.setSfr(EIE, 0xE1);
  core.setSfr(IP, c.ip);
  core.setSfr(EIP, c.eip);
  core.raise(Interrupt::Int2);
  core.raise(Interrupt::Timer0);
  core.raise(Interrupt::Int0);
  core.step();
  EXPECT_EQ(core.pc(), c.firstVector);
}

INSTANTIATE_TEST_SUITE_P(Table, SimultaneousRequests,
                         ::testing::Values(PriorityCase{"NaturalOrder", 0x00, 0xE0, 0x03},
                                           PriorityCase{"Timer0High", 0x02, 0xE0, 0x0B},
                                           PriorityCase{"Int2High", 0x00, 0xE1, 0x43},
                                           PriorityCase{"TwoHighNaturalOrder", 0x02, 0xE1, 0x0B}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Interrupts, HighLevelNestsInLowButNeitherLevelNestsInItself) {
  load({0x80, 0xFE}, 0x03);  // Int0 handler (low) spins
  load({0x80, 0xFE}, 0x0B);  // Timer0 handler (high) spins
  core.setSfr(IE, 0x8F);
  core.setSfr(IP, 0x0A);  // Timer0 and Timer1 high
  core.raise(Interrupt::Int0);
  ASSERT_TRUE(stepTo(0x03));
  core.raise(Interrupt::Int1);  // low: waits for the low handler to finish
  core.runInstructions(5);
  EXPECT_EQ(core.pc(), 0x03);
  core.raise(Interrupt::Timer0);  // high: nests
  core.step();
  EXPECT_EQ(core.pc(), 0x0B);
  EXPECT_EQ(stackedReturn(), 0x03);
  EXPECT_EQ(core.interruptsInService(), 3);
  core.raise(Interrupt::Timer1);  // high inside high: waits
  core.runInstructions(5);
  EXPECT_EQ(core.pc(), 0x0B);
}

TEST_F(Interrupts, OneMainLineInstructionRunsAfterEachReti) {
  core.setSfr(IE, 0x81);
  core.raise(Interrupt::Int0);  // level-triggered and never dropped: requested again and again
  for (unsigned entry = 0; entry < 4; ++entry) {
    ASSERT_TRUE(stepTo(0x03));
    EXPECT_EQ(core.iram(0x30), entry);
    core.step();  // RETI
  }
}

struct BlockCase {
  const char* name;
  std::vector<std::uint8_t> first;  // the instruction before which nothing is pending
  std::uint8_t mainLineIncrementsBeforeEntry;
};

class BlockAfterWrite : public Interrupts, public ::testing::WithParamInterface<BlockCase> {};

TEST_P(BlockAfterWrite, InterruptWaitsOneInstructionAfterAnEnableOrPriorityWrite) {
  std::uint16_t at = kMain;
  for (std::uint8_t b : GetParam().first) memory[at++] = b;
  load({0x05, 0x30, 0x05, 0x30}, at);
  core.setSfr(IE, 0x81);
  core.step();  // the instruction under test
  core.raise(Interrupt::Int0);
  ASSERT_TRUE(stepTo(0x03));
  EXPECT_EQ(core.iram(0x30), GetParam().mainLineIncrementsBeforeEntry);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BlockAfterWrite,
    ::testing::Values(BlockCase{"Ie", {0x75, IE, 0x81}, 1}, BlockCase{"Ip", {0x75, IP, 0x00}, 1},
                      BlockCase{"Eie", {0x75, EIE, 0xE0}, 1}, BlockCase{"Eip", {0x75, EIP, 0xE0}, 1},
                      BlockCase{"SetbEa", {0xD2, 0xAF}, 1},
                      BlockCase{"OtherSfrWrite", {0x75, 0xF0, 0x00}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A chip that raises INT2 when the firmware writes SFR 0xC0, in the middle of an instruction.
struct RaisingChip {
  Core* core = nullptr;
  static void write(void* self, std::uint8_t address, std::uint8_t) {
    if (address == 0xC0) static_cast<RaisingChip*>(self)->core->raise(Interrupt::Int2);
  }
  static std::uint16_t autovector(void*, std::uint16_t vector) {
    return vector == 0x43 ? 0x1410 : vector;
  }
};

TEST_F(Interrupts, RequestDuringAnInstructionIsTakenRightAfterIt) {
  RaisingChip chip{&core};
  CoreHooks hooks;
  hooks.context = &chip;
  hooks.sfrWrite = &RaisingChip::write;
  core.setHooks(hooks);
  core.setSfr(IE, 0x80);
  core.setSfr(EIE, 0xE1);
  load({0x75, 0xC0, 0x01}, kMain + 2);  // the write that raises INT2
  core.step();
  core.step();
  EXPECT_EQ(core.pc(), kMain + 5);
  EXPECT_EQ(core.step(), 4u);
  EXPECT_EQ(core.pc(), 0x43);
  EXPECT_EQ(stackedReturn(), kMain + 5);
}

TEST_F(Interrupts, AutovectorHookRedirectsAndChargesTheJump) {
  RaisingChip chip{&core};
  CoreHooks hooks;
  hooks.context = &chip;
  hooks.vectorTarget = &RaisingChip::autovector;
  core.setHooks(hooks);
  core.setSfr(IE, 0x81);
  core.setSfr(EIE, 0xE1);
  core.raise(Interrupt::Int2);
  EXPECT_EQ(core.step(), 8u);  // entry and the LJMP at the vector
  EXPECT_EQ(core.pc(), 0x1410);
  core.setSfr(IP, 0x01);  // Int0 high: nests, through a vector the hook leaves alone
  core.raise(Interrupt::Int0);
  EXPECT_EQ(core.step(), 4u);
  EXPECT_EQ(core.pc(), 0x03);
}

TEST_F(Interrupts, IdleStopsTheCpuUntilAnEnabledInterrupt) {
  load({0x43, PCON, 0x01}, kMain);  // ORL PCON,#1
  core.setPc(kMain);
  core.setSfr(IE, 0x81);
  core.step();
  ASSERT_TRUE(core.idle());
  const std::uint64_t start = core.cycles();
  EXPECT_EQ(core.run(start + 1000), 0u);
  EXPECT_EQ(core.cycles(), start + 1000);  // the clock runs on while idle
  EXPECT_EQ(core.step(), 1u);
  core.raise(Interrupt::Int1);  // not enabled: stays idle
  core.run(start + 2000);
  EXPECT_TRUE(core.idle());
  EXPECT_EQ(core.cycles(), start + 2000);
  core.raise(Interrupt::Int0);
  core.clear(Interrupt::Int0);
  core.setSfr(TCON, 0x01);  // so that the handler's RETI is not followed by a second entry
  core.raise(Interrupt::Int0);
  core.run(start + 3000, kMain + 3);
  EXPECT_FALSE(core.idle());
  EXPECT_FALSE(core.sfr(PCON) & 0x01);
  EXPECT_EQ(core.pc(), kMain + 3);  // on after the instruction that entered idle
  EXPECT_LT(core.cycles(), start + 3000);
  EXPECT_EQ(core.iram(0x30), 0);
}

TEST_F(Interrupts, ResumeInterruptWakesFromIdle) {
  core.setSfr(IE, 0x80);
  core.setSfr(EICON, 0x60);  // ERESI
  core.setSfr(PCON, 0x01);
  ASSERT_TRUE(core.idle());
  core.run(core.cycles() + 500);
  core.raise(Interrupt::Resume);
  core.step();
  EXPECT_EQ(core.pc(), 0x33);
  EXPECT_FALSE(core.idle());
}

}  // namespace
}  // namespace mcs51::testing
