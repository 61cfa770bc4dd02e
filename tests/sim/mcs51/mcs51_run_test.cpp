// mcs51-run through the built binary: its output format and its exit codes.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "sim/mcs51/intel_hex.h"

namespace {

struct Result {
  int exitCode = -1;
  std::vector<std::string> lines;  // stdout
  std::string errors;              // stderr
};

class Mcs51Run : public ::testing::Test {
 protected:
  void SetUp() override {
    char dir[] = "/tmp/nandbridge-mcs51-run-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    dir_ = dir;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string writeFile(const std::string& name, const std::string& text) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path) << text;
    return path;
  }
  Result run(const std::string& arguments) {
    const std::string out = dir_ + "/out", err = dir_ + "/err";
    const int status =
        std::system((std::string("'") + MCS51_RUN + "' " + arguments + " >" + out + " 2>" + err).c_str());
    Result r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream o(out);
    for (std::string line; std::getline(o, line);) r.lines.push_back(line);
    std::stringstream e;
    e << std::ifstream(err).rdbuf();
    r.errors = e.str();
    return r;
  }

  std::string dir_;
};

// The calibrated delay loop, then SJMP to itself at 000D.
const std::vector<std::uint8_t> kDelay = {0x75, 0x86, 0x00, 0x90, 0xFD, 0xA5, 0xA3, 0xE5,
                                          0x82, 0x45, 0x83, 0x70, 0xF9, 0x80, 0xFE};

TEST_F(Mcs51Run, StopsAtTheAddressAndPrintsRegistersAndInternalRam) {
  const auto r = run("--until 000D " + writeFile("delay.hex", mcs51::toIntelHex(kDelay)));
  EXPECT_EQ(r.exitCode, 0) << r.errors;
  ASSERT_EQ(r.lines.size(), 17u);
  EXPECT_EQ(r.lines[0],
            "PC=000D A=00 B=00 PSW=00 SP=07 DPTR0=0000 DPTR1=0000 DPS=00 CYCLES=6036 "
            "INSTRUCTIONS=2414");
  const std::regex row(R"(IRAM [0-9A-F]{2}:( [0-9A-F]{2}){16})");
  for (unsigned i = 0; i < 16; ++i) {
    EXPECT_TRUE(std::regex_match(r.lines[1 + i], row)) << r.lines[1 + i];
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "IRAM %02X: ", i * 16);
    EXPECT_EQ(r.lines[1 + i].rfind(prefix, 0), 0u) << r.lines[1 + i];
  }
}

TEST_F(Mcs51Run, StopsAfterTheStepCount) {
  const auto r = run("--steps 3 " + writeFile("delay.hex", mcs51::toIntelHex(kDelay)));
  EXPECT_EQ(r.exitCode, 0) << r.errors;
  ASSERT_FALSE(r.lines.empty());
  EXPECT_EQ(r.lines[0].rfind("PC=0007 A=00", 0), 0u) << r.lines[0];
  EXPECT_NE(r.lines[0].find("DPTR0=FDA6"), std::string::npos);
  EXPECT_NE(r.lines[0].find("CYCLES=9 INSTRUCTIONS=3"), std::string::npos);
}

TEST_F(Mcs51Run, DumpsTheExternalRamRangeInclusive) {
  // MOV DPTR,#8011; MOV A,#5A; MOVX @DPTR,A; MOV R3,#77; SJMP $
  const auto path = writeFile("x.hex", mcs51::toIntelHex({0x90, 0x80, 0x11, 0x74, 0x5A, 0xF0,
                                                          0x7B, 0x77, 0x80, 0xFE}));
  const auto r = run("--until 8 --xram 8000:8011 " + path);
  EXPECT_EQ(r.exitCode, 0) << r.errors;
  ASSERT_EQ(r.lines.size(), 19u);
  EXPECT_EQ(r.lines[1], "IRAM 00: 00 00 00 77 00 00 00 00 00 00 00 00 00 00 00 00");
  EXPECT_EQ(r.lines[17], "XRAM 8000: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
  EXPECT_EQ(r.lines[18], "XRAM 8010: 00 5A");
}

struct FailureCase {
  const char* name;
  const char* fileText;  // nullptr: no file at all
  const char* options;
  const char* message;
};

class Mcs51RunFailure : public Mcs51Run, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(Mcs51RunFailure, ExitsNonZeroWithAMessage) {
  const FailureCase& c = GetParam();
  const std::string path = c.fileText ? writeFile("f.hex", c.fileText) : dir_ + "/missing.hex";
  const auto r = run(std::string(c.options) + " " + path);
  EXPECT_NE(r.exitCode, 0);
  EXPECT_NE(r.errors.find(c.message), std::string::npos) << r.errors;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Mcs51RunFailure,
    ::testing::Values(
        // NOP NOP NOP then the reserved opcode at 0003
        FailureCase{"ReservedOpcode", ":04000000000000A557\n:00000001FF\n", "", "reserved opcode A5 at 0003"},
        FailureCase{"MissingFile", nullptr, "", "cannot open"},
        FailureCase{"ChecksumError", ":030000000012AB41\n:00000001FF\n", "", "checksum"},
        FailureCase{"MalformedRecord", "hello\n", "", "line 1"},
        FailureCase{"BadUntil", ":00000001FF\n", "--until XYZ", "--until"},
        FailureCase{"BadXramRange", ":00000001FF\n", "--xram 10:8", "--xram"},
        FailureCase{"UnknownOption", ":00000001FF\n", "--fast", "unknown option"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
