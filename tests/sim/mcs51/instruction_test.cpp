// Addressing, register banks, the data pointers, memory spaces, hooks and the reserved
// opcode.
#include <gtest/gtest.h>

#include <map>

#include "core_fixture.h"

namespace mcs51::testing {
namespace {

using Instructions = CoreFixture;

TEST_F(Instructions, RegisterBankFollowsPswEvenWhenSetByBitInstructions) {
  runSnippet({0xD2, 0xD3, 0x78, 0x55});  // SETB RS0; MOV R0,#55
  EXPECT_EQ(core.iram(0x08), 0x55);
  EXPECT_EQ(core.iram(0x00), 0x00);
  runSnippet({0x75, 0xD0, 0x18, 0x7F, 0x66, 0xB2, 0xD3, 0xEF});  // PSW=18; MOV R7,#66; CPL RS0; MOV A,R7
  EXPECT_EQ(core.iram(0x1F), 0x66);
  EXPECT_EQ(acc(), core.iram(0x17));  // R7 of bank 2 after the switch
}

struct BitCase {
  std::uint8_t bit;
  std::uint8_t byteAddress;  // where the bit lives
  std::uint8_t mask;
};

class BitAddressing : public CoreFixture, public ::testing::WithParamInterface<BitCase> {};

TEST_P(BitAddressing, SetbReachesTheRightByteAndBit) {
  const BitCase& c = GetParam();
  runSnippet({0xD2, c.bit});
  const std::uint8_t value = c.byteAddress < 0x80 ? core.iram(c.byteAddress) : core.sfr(c.byteAddress);
  EXPECT_EQ(value & ~0x01 & 0xFF, c.mask & ~0x01 & 0xFF);  // P of PSW aside
  if (c.byteAddress < 0x80) {
    EXPECT_EQ(value, c.mask);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, BitAddressing,
                         ::testing::Values(BitCase{0x00, 0x20, 0x01}, BitCase{0x0B, 0x21, 0x08},
                                           BitCase{0x7F, 0x2F, 0x80}, BitCase{0xE7, 0xE0, 0x80},
                                           BitCase{0xF3, 0xF0, 0x08}, BitCase{0xD5, 0xD0, 0x20},
                                           BitCase{0xA8 + 2, 0xA8, 0x04}));

TEST_F(Instructions, UpperInternalRamIsIndirectOnlyAndDirectMeansSfr) {
  // MOV R0,#90; MOV @R0,#12; MOV 90,#34; MOV A,@R0
  runSnippet({0x78, 0x90, 0x76, 0x12, 0x75, 0x90, 0x34, 0xE6});
  EXPECT_EQ(core.iram(0x90), 0x12);
  EXPECT_EQ(core.sfr(0x90), 0x34);
  EXPECT_EQ(acc(), 0x12);
}

TEST_F(Instructions, CallPushesReturnAddressLowByteFirstAndRetPopsIt) {
  load({0x75, 0x81, 0x40, 0x12, 0x12, 0x34});  // SP=40; LCALL 1234
  core.runInstructions(2);
  EXPECT_EQ(core.pc(), 0x1234);
  EXPECT_EQ(core.iram(0x41), 0x06);  // return address 0x0006
  EXPECT_EQ(core.iram(0x42), 0x00);
  EXPECT_EQ(core.sfr(0x81), 0x42);
  load({0x22}, 0x1234);  // RET
  core.step();
  EXPECT_EQ(core.pc(), 0x0006);
  EXPECT_EQ(core.sfr(0x81), 0x40);
}

struct AbsoluteCase {
  std::uint16_t at;  // address of the two-byte AJMP/ACALL
  std::uint8_t op, low;
  std::uint16_t target;
};

class AbsoluteJump : public CoreFixture, public ::testing::WithParamInterface<AbsoluteCase> {};

// The 11-bit target replaces the low bits of the address after the instruction.
TEST_P(AbsoluteJump, TargetInTheBlockOfTheNextInstruction) {
  const AbsoluteCase& c = GetParam();
  core.setPc(c.at);
  load({c.op, c.low}, c.at);
  core.step();
  EXPECT_EQ(core.pc(), c.target);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AbsoluteJump,
    ::testing::Values(AbsoluteCase{0x0000, 0x01, 0x10, 0x0010}, AbsoluteCase{0x0000, 0x21, 0x10, 0x0110},
                      AbsoluteCase{0x0100, 0x81, 0x00, 0x0400}, AbsoluteCase{0x0100, 0xE1, 0xFF, 0x07FF},
                      AbsoluteCase{0x07FE, 0x01, 0x00, 0x0800},  // next instruction in block 1
                      AbsoluteCase{0x1000, 0xF1, 0x34, 0x1734},  // ACALL, page 7
                      AbsoluteCase{0x1000, 0x51, 0x00, 0x1200}));

TEST_F(Instructions, MovxAtRiTakesItsHighByteFromMpageNotP2) {
  // MOV MPAGE,#12; MOV P2,#56; MOV R0,#34; MOV A,#5A; MOVX @R0,A; MOV R1,#34; CLR A; MOVX A,@R1
  runSnippet({0x75, 0x92, 0x12, 0x75, 0xA0, 0x56, 0x78, 0x34, 0x74, 0x5A, 0xF2, 0x79, 0x34, 0xE4,
              0xE3});
  EXPECT_EQ(memory[0x1234], 0x5A);
  EXPECT_EQ(memory[0x5634], 0x00);
  EXPECT_EQ(acc(), 0x5A);
}

TEST_F(Instructions, DpsSelectsThePointerOfEveryDptrInstruction) {
  memory[0x2001] = 0xC3;  // MOVC source through DPTR1 (A=1)
  load({0x80, 0xFE}, 0x3001);  // JMP @A+DPTR lands here
  // DPS=1; MOV DPTR,#1FFF; INC DPTR; MOV A,#77; MOVX @DPTR,A; MOV A,#1; MOVC A,@A+DPTR;
  // MOV DPS,#0; MOV DPTR,#0100; MOV DPS,#1; MOV DPTR,#3000; MOV A,#1; JMP @A+DPTR
  load({0x75, 0x86, 0x01, 0x90, 0x1F, 0xFF, 0xA3, 0x74, 0x77, 0xF0, 0x74, 0x01, 0x93, 0x75,
            0x86, 0x00, 0x90, 0x01, 0x00, 0x75, 0x86, 0x01, 0x90, 0x30, 0x00, 0x74, 0x01, 0x73});
  core.runInstructions(100, 0x3001);
  EXPECT_EQ(core.pc(), 0x3001);
  EXPECT_EQ(memory[0x2000], 0x77);
  EXPECT_EQ(core.dptr(0), 0x0100);
  EXPECT_EQ(core.dptr(1), 0x3000);
  EXPECT_EQ(core.sfr(0x84), 0x00);
  EXPECT_EQ(core.sfr(0x85), 0x30);
}

TEST_F(Instructions, MovcThroughPcCountsFromTheNextInstruction) {
  // MOV A,#2; MOVC A,@A+PC (at 2, so 3 + 2 = 5); SJMP +3; bytes 11 22 33 at 5
  load({0x74, 0x02, 0x83, 0x80, 0x03, 0x11, 0x22, 0x33});
  core.runInstructions(2);
  EXPECT_EQ(acc(), 0x11);
}

TEST_F(Instructions, ReservedOpcodeStopsWithItsAddress) {
  load({0x00, 0x00, 0x00, 0xA5, 0x00});
  const auto executed = core.run(1'000'000);
  EXPECT_EQ(executed, 3u);
  EXPECT_EQ(core.stopReason(), StopReason::ReservedOpcode);
  EXPECT_EQ(core.stopAddress(), 0x0003);
  EXPECT_EQ(core.pc(), 0x0003);
  EXPECT_EQ(core.run(2'000'000), 0u);  // stays stopped
}

// A chip whose port 0x80 reads 0x0F on its pins and holds 0xF0 in its latch.
struct PortChip {
  std::map<std::uint8_t, std::uint8_t> written;
  static std::uint8_t pins(void*, std::uint8_t) { return 0x0F; }
  static std::uint8_t latch(void*, std::uint8_t) { return 0xF0; }
  static void write(void* self, std::uint8_t address, std::uint8_t value) {
    static_cast<PortChip*>(self)->written[address] = value;
  }
};

struct LatchCase {
  const char* name;
  std::vector<std::uint8_t> code;  // acts on SFR 0x80
  std::uint8_t written;
};

class ReadModifyWrite : public CoreFixture, public ::testing::WithParamInterface<LatchCase> {};

TEST_P(ReadModifyWrite, ReadsThePortLatchNotThePins) {
  PortChip chip;
  CoreHooks hooks;
  hooks.context = &chip;
  hooks.sfrRead = &PortChip::pins;
  hooks.sfrReadLatch = &PortChip::latch;
  hooks.sfrWrite = &PortChip::write;
  core.setHooks(hooks);
  std::uint16_t at = load({0x74, 0x01, 0xD3});  // A=1, C=1 for the forms that use them
  for (std::uint8_t b : GetParam().code) memory[at++] = b;
  core.runInstructions(3);
  ASSERT_EQ(chip.written.count(0x80), 1u);
  EXPECT_EQ(chip.written[0x80], GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadModifyWrite,
    ::testing::Values(LatchCase{"OrlDirectA", {0x42, 0x80}, 0xF1},
                      LatchCase{"AnlDirectImmediate", {0x53, 0x80, 0x3C}, 0x30},
                      LatchCase{"XrlDirectA", {0x62, 0x80}, 0xF1},
                      LatchCase{"IncDirect", {0x05, 0x80}, 0xF1},
                      LatchCase{"DecDirect", {0x15, 0x80}, 0xEF},
                      LatchCase{"DjnzDirect", {0xD5, 0x80, 0x00}, 0xEF},
                      LatchCase{"SetbBit", {0xD2, 0x81}, 0xF2},
                      LatchCase{"ClrBit", {0xC2, 0x87}, 0x70},
                      LatchCase{"CplBit", {0xB2, 0x80}, 0xF1},
                      LatchCase{"MovBitC", {0x92, 0x80}, 0xF1},
                      LatchCase{"JbcBit", {0x10, 0x87, 0x00}, 0x70}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Instructions, PlainReadsGoToThePins) {
  PortChip chip;
  CoreHooks hooks;
  hooks.context = &chip;
  hooks.sfrRead = &PortChip::pins;
  hooks.sfrReadLatch = &PortChip::latch;
  core.setHooks(hooks);
  runSnippet({0xE5, 0x80, 0xA2, 0x80});  // MOV A,P0; MOV C,P0.0
  EXPECT_EQ(acc(), 0x0F);
  EXPECT_TRUE(psw() & 0x80);
}

struct ExternalBus {
  std::map<std::uint16_t, std::uint8_t> writes;
  static std::uint8_t read(void*, std::uint16_t address) {
    return static_cast<std::uint8_t>(address >> 8);
  }
  static void write(void* self, std::uint16_t address, std::uint8_t value) {
    static_cast<ExternalBus*>(self)->writes[address] = value;
  }
};

TEST_F(Instructions, MovxOutsideTheMappedMemoryGoesToTheHooksAndFetchReadsFF) {
  ExternalBus bus;
  CoreHooks hooks;
  hooks.context = &bus;
  hooks.xdataRead = &ExternalBus::read;
  hooks.xdataWrite = &ExternalBus::write;
  core.setHooks(hooks);
  core.setMemory(memory.data(), 0x4000);
  // MOV DPTR,#E600; MOVX A,@DPTR; INC A; MOVX @DPTR,A; MOV DPTR,#3FFF; MOVX @DPTR,A
  runSnippet({0x90, 0xE6, 0x00, 0xE0, 0x04, 0xF0, 0x90, 0x3F, 0xFF, 0xF0});
  EXPECT_EQ(bus.writes.size(), 1u);
  EXPECT_EQ(bus.writes[0xE600], 0xE7);
  EXPECT_EQ(memory[0x3FFF], 0xE7);
  core.setPc(0x4000);
  core.step();  // fetches 0xFF: MOV R7,A
  EXPECT_EQ(core.pc(), 0x4001);
  EXPECT_EQ(core.iram(0x07), 0xE7);
}

}  // namespace
}  // namespace mcs51::testing
