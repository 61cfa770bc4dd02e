// The firmware's main test: the same host sequences sent to the chip model running the
// firmware and to the reference bridge put the same cycles on the flash bus, in the same
// order, and return the same bytes on the data-in pipe.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <random>

#include "bridge_pair.h"

namespace firmware_test {
namespace {

std::uint32_t bytesRead(const HostScript& script) {
  std::uint32_t n = 0;
  for (const HostStep& s : script)
    if (s.kind == HostStep::Kind::Read) n += s.count;
  return n;
}

void append(HostScript& to, const HostScript& from) { to.insert(to.end(), from.begin(), from.end()); }

void expectSameOutcome(BridgePair& pair, const HostScript& script) {
  ASSERT_TRUE(pair.started());
  const ScriptOutcome reference = pair.runOnReference(script);
  const ScriptOutcome chip = pair.runOnChip(script);
  ASSERT_EQ(reference.error, "") << "the reference bridge failed";
  ASSERT_EQ(chip.error, "") << "the firmware failed";
  ASSERT_EQ(chip.dataIn.size(), bytesRead(script));
  ASSERT_FALSE(reference.bus.empty());

  std::size_t i = 0;
  while (i < chip.bus.size() && i < reference.bus.size() && chip.bus[i] == reference.bus[i]) ++i;
  EXPECT_EQ(i, reference.bus.size()) << "bus traces part at cycle " << i << "\n  firmware: "
                                     << describe(chip.bus, i)
                                     << "\n reference: " << describe(reference.bus, i);
  EXPECT_EQ(chip.bus.size(), reference.bus.size());
  EXPECT_TRUE(chip.dataIn == reference.dataIn) << "different bytes on the data-in pipe";
  EXPECT_EQ(pair.chipFlash().busyViolations(), 0u) << "a cycle reached the flash while busy";
  EXPECT_EQ(pair.chip().chip().gpif().irq & 0x02, 0) << "a waveform state requested GINT";
}

std::vector<std::uint8_t> randomBytes(std::mt19937& random, std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

struct HostSequence {
  const char* name;
  std::function<HostScript()> script;
};

void PrintTo(const HostSequence& sequence, std::ostream* os) { *os << sequence.name; }

class HostSequences : public ::testing::TestWithParam<HostSequence> {};

TEST_P(HostSequences, MatchTheReferenceBridge) {
  BridgePair pair;
  expectSameOutcome(pair, GetParam().script());
}

INSTANTIATE_TEST_SUITE_P(
    Oracle, HostSequences,
    ::testing::Values(
        HostSequence{"PageViewAtStart", [] { return host::readAt(0, 528); }},
        HostSequence{"PageViewSecondHalfRunsIntoNextPage", [] { return host::readAt(0x3A5, 528); }},
        HostSequence{"PageViewLastPage", [] { return host::readAt(0x3FFFE00, 528); }},
        HostSequence{"Status", [] { return host::status(); }},
        HostSequence{"Id", [] { return host::id(); }},
        HostSequence{"BlockDump", [] {
                       HostScript s = host::blockDump(1);
                       append(s, host::blockDump(2));  // the next read gets only its own bytes
                       return s;
                     }},
        HostSequence{"CountZeroReadsNothing", [] {
                       HostScript s{host::command({0x52, 0x70, 0x00, 0x00}),
                                    host::command({0x12, 0x00, 0x00})};
                       append(s, host::id());
                       return s;
                     }},
        HostSequence{"MainAreaDump", [] { return host::mainAreaPages(30, 4); }},
        HostSequence{"EraseThenDump", [] {
                       HostScript s = host::erase(2);
                       append(s, host::blockDump(2));
                       return s;
                     }},
        HostSequence{"EraseProgramVerify", [] {
                       std::mt19937 random(7);
                       HostScript s = host::erase(9);
                       for (std::uint32_t p = 0; p < 3; ++p)
                         append(s, host::programPage(9 * 32 + p, randomBytes(random, 528)));
                       append(s, host::readAt(9 * 0x4000, 3 * 528));
                       return s;
                     }}),
    [](const ::testing::TestParamInfo<HostSequence>& info) { return std::string(info.param.name); });

// Random mixes of the host's operations, with page data, on random places.
TEST(Oracle, RandomSequencesOfValidPackets) {
  for (unsigned seed : {1u, 2u, 3u}) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    HostScript s;
    for (int op = 0; op < 30; ++op) {
      const std::uint32_t block = random() % 10;
      switch (random() % 7) {
        case 0: append(s, host::readAt(random() % (10 * 0x4000), 1 + random() % 1100)); break;
        case 1: append(s, host::readAt(block * 0x4000, std::uint32_t{4} << (random() % 3))); break;
        case 2: append(s, host::status()); break;
        case 3: append(s, host::id()); break;
        case 4: append(s, host::erase(block)); break;
        case 5: append(s, host::programPage(block * 32 + random() % 32, randomBytes(random, 528))); break;
        case 6: append(s, host::readAt(block * 0x4000, 0x4200)); break;
      }
    }
    BridgePair pair;
    expectSameOutcome(pair, s);
  }
}

}  // namespace
}  // namespace firmware_test
