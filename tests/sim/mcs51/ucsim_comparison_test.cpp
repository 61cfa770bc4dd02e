// Runs the same programs on our core and on ucsim's s51 and compares the final architectural
// state and the cycle count.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "random_program.h"
#include "sim/mcs51/intel_hex.h"
#include "sim/mcs51/mcs51_core.h"
#include "sim/mcs51/ucsim_runner.h"

namespace mcs51 {
namespace {

using testing::kXramFirst;
using testing::kXramLast;

// Where the FX2's documented cycle count differs from ucsim's DS80C320 model, our core
// follows the FX2. Extra cycles ucsim charges, by opcode:
const std::map<std::uint8_t, unsigned> kUcsimExtraCycles = {
    {0x84, 2},  // DIV AB: 5 cycles on the FX2, 7 in ucsim
    {0xA4, 2},  // MUL AB: 5 cycles on the FX2, 7 in ucsim
};

// Code space that no program fills reads 0xFF in ucsim, like an unprogrammed ROM; the
// external RAM starts cleared in both.
std::vector<std::uint8_t> initialMemory() {
  std::vector<std::uint8_t> memory(0x10000, 0x00);
  std::fill(memory.begin(), memory.begin() + kXramFirst, 0xFF);
  return memory;
}

struct OurRun {
  std::vector<std::uint8_t> memory = initialMemory();
  Core core;
  std::uint64_t expectedUcsimCycles = 0;
  std::array<bool, 256> executed{};
};

// Runs instruction by instruction to `end`, adding up what ucsim should count.
void runOurs(OurRun& run, std::uint16_t end, std::uint64_t maxInstructions) {
  run.core.setMemory(run.memory.data(), 0x10000);
  run.core.reset();
  std::uint64_t ucsimCycles = 0;
  for (std::uint64_t i = 0; i < maxInstructions && run.core.pc() != end; ++i) {
    const std::uint8_t op = run.memory[run.core.pc()];
    run.executed[op] = true;
    ucsimCycles += run.core.step();
    if (const auto extra = kUcsimExtraCycles.find(op); extra != kUcsimExtraCycles.end())
      ucsimCycles += extra->second;
    if (run.core.stopReason() != StopReason::None) break;
  }
  run.expectedUcsimCycles = ucsimCycles;
}

std::string hex2(unsigned v) {
  char b[8];
  std::snprintf(b, sizeof b, "%02X", v);
  return b;
}

// Every difference, one per line; empty when the states agree.
std::string differences(const OurRun& ours, const UcsimState& theirs, bool withXram) {
  std::ostringstream out;
  const Core& c = ours.core;
  const auto field = [&](const char* name, unsigned mine, unsigned ucsim) {
    if (mine != ucsim) out << name << ": ours " << hex2(mine) << ", ucsim " << hex2(ucsim) << "\n";
  };
  field("PC", c.pc(), theirs.pc);
  field("A", c.sfr(0xE0), theirs.a);
  field("B", c.sfr(0xF0), theirs.b);
  field("PSW", c.sfr(0xD0), theirs.psw);
  field("SP", c.sfr(0x81), theirs.sp);
  field("DPTR0", c.dptr(0), theirs.dptr0);
  field("DPTR1", c.dptr(1), theirs.dptr1);
  field("DPS bit 0", c.sfr(0x86) & 1, theirs.dps & 1);
  for (unsigned a = 0; a < 256; ++a)
    if (c.iram(static_cast<std::uint8_t>(a)) != theirs.iram[a])
      out << "IRAM " << hex2(a) << ": ours " << hex2(c.iram(static_cast<std::uint8_t>(a)))
          << ", ucsim " << hex2(theirs.iram[a]) << "\n";
  if (withXram)
    for (unsigned a = kXramFirst; a <= kXramLast; ++a)
      if (ours.memory[a] != theirs.xram[a - kXramFirst])
        out << "XRAM " << std::hex << a << ": ours " << hex2(ours.memory[a]) << ", ucsim "
            << hex2(theirs.xram[a - kXramFirst]) << "\n";
  if (ours.expectedUcsimCycles != theirs.cycles)
    out << "cycles: ours " << c.cycles() << " (ucsim should count " << ours.expectedUcsimCycles
        << "), ucsim " << theirs.cycles << "\n";
  return out.str();
}

std::string writeTemporaryHex(const std::vector<std::uint8_t>& code) {
  char path[] = "/tmp/nandbridge-mcs51-XXXXXX.hex";
  const int fd = mkstemps(path, 4);
  if (fd < 0) return "";
  const std::string text = toIntelHex(code);
  const bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  close(fd);
  return ok ? path : "";
}

class UcsimComparison : public ::testing::Test {
 protected:
  void SetUp() override {
    if (findUcsim().empty()) GTEST_SKIP() << "s51 (ucsim) is not installed";
  }
};

TEST_F(UcsimComparison, RandomInstructionSequencesEndInTheSameState) {
  constexpr std::uint32_t kPrograms = 250;
  unsigned failures = 0;
  std::array<bool, 256> executed{};
  for (std::uint32_t seed = 1; seed <= kPrograms && failures < 5; ++seed) {
    const auto program = testing::generateRandomProgram(seed);
    OurRun ours;
    std::copy(program.code.begin(), program.code.end(), ours.memory.begin());
    runOurs(ours, program.endAddress, 100'000);
    ASSERT_EQ(ours.core.pc(), program.endAddress) << "seed " << seed << " did not reach its end";
    for (unsigned op = 0; op < 256; ++op) executed[op] = executed[op] || ours.executed[op];

    const std::string path = writeTemporaryHex(program.code);
    ASSERT_FALSE(path.empty());
    UcsimRequest request;
    request.hexPath = path;
    request.breakAddress = program.endAddress;
    request.dumpXram = true;
    request.xramFirst = kXramFirst;
    request.xramLast = kXramLast;
    std::string error;
    const auto theirs = runUcsim(request, error);
    unlink(path.c_str());
    ASSERT_TRUE(theirs) << "seed " << seed << ": " << error;
    const std::string diff = differences(ours, *theirs, true);
    if (!diff.empty()) {
      ++failures;
      ADD_FAILURE() << "seed " << seed << " differs:\n" << diff;
    }
  }
  // The programs ran every opcode but the reserved one.
  for (unsigned op = 0; op < 256; ++op)
    EXPECT_EQ(executed[op], op != 0xA5) << "opcode " << hex2(op);
}

std::uint16_t symbolAddress(const std::string& mapPath, const std::string& symbol) {
  std::ifstream in(mapPath);
  std::string line;
  const std::regex entry(R"(^\s*C:\s+([0-9A-Fa-f]+)\s+(\S+))");
  std::smatch m;
  while (std::getline(in, line))
    if (std::regex_search(line, m, entry) && m[2] == symbol)
      return static_cast<std::uint16_t>(std::stoul(m[1], nullptr, 16));
  return 0;
}

class CompiledProgram : public UcsimComparison, public ::testing::WithParamInterface<const char*> {};

TEST_P(CompiledProgram, EndsInTheSameStateAsUcsim) {
  const std::string base = std::string(MCS51_PROGRAM_DIR) + "/" + GetParam() + "/" + GetParam();
  const std::uint16_t halt = symbolAddress(base + ".map", "_halt");
  ASSERT_NE(halt, 0) << "no _halt in " << base << ".map";
  std::ifstream in(base + ".ihx");
  std::stringstream text;
  text << in.rdbuf();
  OurRun ours;
  ASSERT_TRUE(loadIntelHex(text.str(), ours.memory).ok);
  runOurs(ours, halt, 10'000'000);
  ASSERT_EQ(ours.core.pc(), halt);

  UcsimRequest request;
  request.hexPath = base + ".ihx";
  request.breakAddress = halt;
  request.dumpXram = true;
  request.xramFirst = kXramFirst;
  request.xramLast = kXramLast;
  std::string error;
  const auto theirs = runUcsim(request, error);
  ASSERT_TRUE(theirs) << error;
  EXPECT_EQ(differences(ours, *theirs, true), "");
  // The program did its work: it wrote its results to external RAM.
  EXPECT_NE(std::count(ours.memory.begin() + kXramFirst, ours.memory.begin() + kXramLast + 1, 0),
            kXramLast - kXramFirst + 1);
}

INSTANTIATE_TEST_SUITE_P(Sdcc, CompiledProgram,
                         ::testing::Values("arithmetic", "crc", "copy", "dispatch", "recursion"));

}  // namespace
}  // namespace mcs51
