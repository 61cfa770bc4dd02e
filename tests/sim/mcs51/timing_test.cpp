// The FX2's instruction timing: the calibrated delay loop, MOVX stretch, the cycles where
// the FX2 differs from other 8051 models, and how run() honours its cycle limit.
#include <gtest/gtest.h>

#include "core_fixture.h"

namespace mcs51::testing {
namespace {

using Timing = CoreFixture;

TEST_F(Timing, DelayLoopTakes603PassesOfTenCycles) {
  // MOV DPS,#0 (3); MOV DPTR,#FDA5 (3); loop: INC DPTR (3); MOV A,DPL (2); ORL A,DPH (2);
  // JNZ loop (3)
  const std::uint16_t end =
      runSnippet({0x75, 0x86, 0x00, 0x90, 0xFD, 0xA5, 0xA3, 0xE5, 0x82, 0x45, 0x83, 0x70, 0xF9});
  EXPECT_EQ(core.pc(), end);
  EXPECT_EQ(core.cycles(), 3u + 3u + 603u * 10u);
  EXPECT_EQ(core.instructions(), 2u + 603u * 4u);
  EXPECT_EQ(core.dptr(0), 0x0000);
}

struct StretchCase {
  std::uint8_t op;
  std::uint8_t stretch;
};

class MovxStretch : public CoreFixture, public ::testing::WithParamInterface<StretchCase> {};

TEST_P(MovxStretch, AddsCkconStretchToTwoCycles) {
  const StretchCase& c = GetParam();
  load({0x75, 0x8E, c.stretch, 0x90, 0x40, 0x00, c.op});  // CKCON; MOV DPTR,#4000; MOVX
  core.runInstructions(2);
  EXPECT_EQ(core.step(), 2u + c.stretch);
}

INSTANTIATE_TEST_SUITE_P(All, MovxStretch,
                         ::testing::Values(StretchCase{0xE0, 0}, StretchCase{0xE2, 1},
                                           StretchCase{0xE3, 2}, StretchCase{0xF0, 3},
                                           StretchCase{0xF2, 5}, StretchCase{0xF3, 7}));

TEST_F(Timing, MovxAfterResetTakesThreeCycles) {
  load({0xE0});
  EXPECT_EQ(core.step(), 3u);
}

// MUL and DIV take five cycles on the FX2 (some simulator models charge more).
TEST_F(Timing, MulAndDivTakeFiveCycles) {
  load({0xA4, 0x84});
  EXPECT_EQ(core.step(), 5u);
  EXPECT_EQ(core.step(), 5u);
}

TEST_F(Timing, RunFinishesTheInstructionThatCrossesTheLimit) {
  load({0x02, 0x00, 0x03, 0x02, 0x00, 0x06, 0x02, 0x00, 0x09});  // three LJMPs, 4 cycles each
  EXPECT_EQ(core.run(5), 2u);
  EXPECT_EQ(core.cycles(), 8u);
  EXPECT_EQ(core.run(8), 0u);  // already there
  EXPECT_EQ(core.run(100, 0x0006), 0u);  // stops at the break address before executing it
  EXPECT_EQ(core.pc(), 0x0006);
}

}  // namespace
}  // namespace mcs51::testing
