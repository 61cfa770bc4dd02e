// Known answers for the arithmetic instructions and their flags: CY 0x80, AC 0x40, OV 0x04,
// P 0x01 of PSW.
#include <gtest/gtest.h>

#include "core_fixture.h"

namespace mcs51::testing {
namespace {

constexpr std::uint8_t CY = 0x80, AC = 0x40, OV = 0x04, P = 0x01;

struct AluCase {
  const char* name;
  std::uint8_t op;  // opcode with an immediate operand (ADD, ADDC, SUBB)
  std::uint8_t a, operand;
  bool carryIn;
  std::uint8_t result;
  std::uint8_t flags;  // CY | AC | OV expected
};

class AluFlags : public CoreFixture, public ::testing::WithParamInterface<AluCase> {};

TEST_P(AluFlags, ResultAndFlags) {
  const AluCase& c = GetParam();
  runSnippet({static_cast<std::uint8_t>(c.carryIn ? 0xD3 : 0xC3), 0x74, c.a, c.op, c.operand});
  EXPECT_EQ(acc(), c.result);
  EXPECT_EQ(psw() & (CY | AC | OV), c.flags);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AluFlags,
    ::testing::Values(
        AluCase{"AddNoFlags", 0x24, 0x12, 0x34, false, 0x46, 0},
        AluCase{"AddHalfCarry", 0x24, 0x0F, 0x01, false, 0x10, AC},
        AluCase{"AddSignedOverflow", 0x24, 0x7F, 0x01, false, 0x80, AC | OV},
        AluCase{"AddWrapToZero", 0x24, 0xFF, 0x01, false, 0x00, CY | AC},
        AluCase{"AddTwoNegativesOverflow", 0x24, 0x80, 0x80, false, 0x00, CY | OV},
        AluCase{"AddIgnoresCarryIn", 0x24, 0x01, 0x01, true, 0x02, 0},
        AluCase{"AddcCarryInMakesCarry", 0x34, 0x00, 0xFF, true, 0x00, CY | AC},
        AluCase{"AddcCarryInMakesOverflow", 0x34, 0x7F, 0x00, true, 0x80, AC | OV},
        AluCase{"SubbBorrow", 0x94, 0x00, 0x01, false, 0xFF, CY | AC},
        AluCase{"SubbSignedOverflow", 0x94, 0x80, 0x01, false, 0x7F, AC | OV},
        AluCase{"SubbPositiveMinusNegative", 0x94, 0x7F, 0xFF, false, 0x80, CY | OV},
        AluCase{"SubbHalfBorrowOnly", 0x94, 0x10, 0x01, false, 0x0F, AC},
        AluCase{"SubbBorrowInToMinusOne", 0x94, 0x05, 0x05, true, 0xFF, CY | AC},
        AluCase{"SubbEqualNoBorrow", 0x94, 0x05, 0x05, false, 0x00, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct DecimalCase {
  std::uint8_t a, b;       // ADD A,#b then DA A
  std::uint8_t result;
  bool carry;
};

class DecimalAdjust : public CoreFixture, public ::testing::WithParamInterface<DecimalCase> {};

TEST_P(DecimalAdjust, AfterAdd) {
  const DecimalCase& c = GetParam();
  runSnippet({0x74, c.a, 0x24, c.b, 0xD4});
  EXPECT_EQ(acc(), c.result);
  EXPECT_EQ((psw() & CY) != 0, c.carry);
}

INSTANTIATE_TEST_SUITE_P(Table, DecimalAdjust,
                         ::testing::Values(DecimalCase{0x15, 0x27, 0x42, false},   // low digit > 9
                                           DecimalCase{0x09, 0x09, 0x18, false},   // AC set
                                           DecimalCase{0x99, 0x01, 0x00, true},    // both digits
                                           DecimalCase{0x80, 0x80, 0x60, true},    // CY in
                                           DecimalCase{0x99, 0x99, 0x98, true},    // CY and AC
                                           DecimalCase{0x45, 0x44, 0x89, false})); // nothing

TEST_F(CoreFixture, DecimalAdjustNeverClearsCarry) {
  runSnippet({0xD3, 0x74, 0x12, 0xD4});  // SETB C; MOV A,#12; DA A
  EXPECT_EQ(acc(), 0x72);
  EXPECT_TRUE(psw() & CY);
}

struct MulDivCase {
  std::uint8_t op, a, b;
  std::uint8_t resultA, resultB;
  bool overflow;
};

class MulDiv : public CoreFixture, public ::testing::WithParamInterface<MulDivCase> {};

TEST_P(MulDiv, ResultsAndOverflowCarryCleared) {
  const MulDivCase& c = GetParam();
  runSnippet({0xD3, 0x74, c.a, 0x75, 0xF0, c.b, c.op});  // SETB C first: both clear it
  EXPECT_EQ(acc(), c.resultA);
  EXPECT_EQ(core.sfr(0xF0), c.resultB);
  EXPECT_EQ((psw() & OV) != 0, c.overflow);
  EXPECT_FALSE(psw() & CY);
}

INSTANTIATE_TEST_SUITE_P(Table, MulDiv,
                         ::testing::Values(MulDivCase{0xA4, 0x10, 0x10, 0x00, 0x01, true},
                                           MulDivCase{0xA4, 0x0F, 0x11, 0xFF, 0x00, false},
                                           MulDivCase{0xA4, 0xFF, 0xFF, 0x01, 0xFE, true},
                                           MulDivCase{0x84, 0xFB, 0x12, 0x0D, 0x11, false},
                                           MulDivCase{0x84, 0x07, 0x09, 0x00, 0x07, false},
                                           // by zero: OV set, A and B left as they were
                                           MulDivCase{0x84, 0x42, 0x00, 0x42, 0x00, true}));

struct RotateCase {
  std::uint8_t op, a;
  bool carryIn;
  std::uint8_t result;
  bool carryOut;
};

class RotateThroughCarry : public CoreFixture, public ::testing::WithParamInterface<RotateCase> {};

TEST_P(RotateThroughCarry, Rotates) {
  const RotateCase& c = GetParam();
  runSnippet({static_cast<std::uint8_t>(c.carryIn ? 0xD3 : 0xC3), 0x74, c.a, c.op});
  EXPECT_EQ(acc(), c.result);
  EXPECT_EQ((psw() & CY) != 0, c.carryOut);
}

INSTANTIATE_TEST_SUITE_P(Table, RotateThroughCarry,
                         ::testing::Values(RotateCase{0x33, 0x80, false, 0x00, true},   // RLC
                                           RotateCase{0x33, 0x01, true, 0x03, false},
                                           RotateCase{0x13, 0x01, true, 0x80, true},    // RRC
                                           RotateCase{0x13, 0x80, false, 0x40, false},
                                           RotateCase{0x23, 0x81, false, 0x03, false},  // RL
                                           RotateCase{0x03, 0x81, true, 0xC0, true}));  // RR

struct CompareCase {
  std::uint8_t a, operand;
  bool carry, jumps;
};

class CompareAndJump : public CoreFixture, public ::testing::WithParamInterface<CompareCase> {};

// CJNE A,#x,+2 skips a MOV R0,#1 when unequal; CY = A < x (unsigned).
TEST_P(CompareAndJump, CarryIsUnsignedLess) {
  const CompareCase& c = GetParam();
  runSnippet({0x74, c.a, 0xB4, c.operand, 0x02, 0x78, 0x01});
  EXPECT_EQ((psw() & CY) != 0, c.carry);
  EXPECT_EQ(core.iram(0) == 0, c.jumps);
}

INSTANTIATE_TEST_SUITE_P(Table, CompareAndJump,
                         ::testing::Values(CompareCase{0x05, 0x06, true, true},
                                           CompareCase{0x06, 0x05, false, true},
                                           CompareCase{0x05, 0x05, false, false},
                                           CompareCase{0x7F, 0x80, true, true},   // unsigned
                                           CompareCase{0xFF, 0x00, false, true}));

TEST_F(CoreFixture, ParityAlwaysFollowsTheAccumulator) {
  runSnippet({0x74, 0x01});  // MOV A,#1: one bit set
  EXPECT_TRUE(psw() & P);
  runSnippet({0x74, 0x07, 0x75, 0xD0, 0x00});  // writing PSW cannot clear P
  EXPECT_TRUE(psw() & P);
  // XCH A,PSW: A takes the old PSW, parity bit included; P then follows the new A.
  runSnippet({0x74, 0x40, 0x75, 0xD0, 0x80, 0xC5, 0xD0});  // A=40, PSW=80, XCH
  EXPECT_EQ(acc(), 0x81);   // old PSW with its parity bit (0x40 has odd parity)
  EXPECT_EQ(psw() & ~P & 0xFF, 0x40);
  EXPECT_FALSE(psw() & P);  // 0x81 has even parity
}

}  // namespace
}  // namespace mcs51::testing
