#include "sim/mcs51/ucsim_runner.h"

#include <cctype>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <unistd.h>

namespace mcs51 {

namespace {

constexpr std::uint64_t kClocksBeforeFirstInstruction = 12;

bool executable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

// s51 echoes every command of the file before it prints any result, so dumps are told
// apart by their form instead: internal RAM in rows of 16 with two-digit addresses, SFRs in
// rows of 8 (from 0x80), external RAM with four-digit addresses.
struct Dumps {
  std::uint8_t iram[256]{};
  std::uint8_t sfr[128]{};
  std::vector<std::uint8_t> xram;
  unsigned iramBytes = 0, sfrBytes = 0, xramBytes = 0;
};

void readDumps(const std::string& output, std::uint32_t xramFirst, std::uint32_t xramLast,
               Dumps& dumps) {
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream row(line);
    std::string address;
    row >> address;
    if (address.size() < 4 || address.rfind("0x", 0) != 0) continue;
    const std::string digits = address.substr(2);
    if (digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) continue;
    std::vector<std::uint8_t> bytes;
    std::string token;
    while (row >> token && token.size() == 2 && std::isxdigit(static_cast<unsigned char>(token[0])) &&
           std::isxdigit(static_cast<unsigned char>(token[1])))
      bytes.push_back(static_cast<std::uint8_t>(std::strtoul(token.c_str(), nullptr, 16)));
    const auto a = static_cast<std::uint32_t>(std::strtoul(digits.c_str(), nullptr, 16));
    if (digits.size() == 2 && bytes.size() == 16) {
      for (std::size_t k = 0; k < 16 && a + k < 256; ++k, ++dumps.iramBytes) dumps.iram[a + k] = bytes[k];
    } else if (digits.size() == 2 && bytes.size() == 8 && a >= 0x80) {
      for (std::size_t k = 0; k < 8 && a + k < 256; ++k, ++dumps.sfrBytes) dumps.sfr[a + k - 0x80] = bytes[k];
    } else if (digits.size() >= 4 && !bytes.empty() && a >= xramFirst) {
      for (std::size_t k = 0; k < bytes.size() && a + k <= xramLast; ++k, ++dumps.xramBytes)
        dumps.xram[a + k - xramFirst] = bytes[k];
    }
  }
}

}  // namespace

std::string findUcsim() {
  if (const char* env = std::getenv("NANDBRIDGE_S51"); env && *env) return executable(env) ? env : "";
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':'))
    if (!dir.empty() && executable(dir + "/s51")) return dir + "/s51";
  return "";
}

std::optional<UcsimState> runUcsim(const UcsimRequest& request, std::string& error) {
  const std::string s51 = findUcsim();
  if (s51.empty()) {
    error = "s51 (ucsim) is not installed";
    return std::nullopt;
  }
  char scriptPath[] = "/tmp/nandbridge-ucsim-XXXXXX";
  const int fd = mkstemp(scriptPath);
  if (fd < 0) {
    error = "cannot create a command file for s51";
    return std::nullopt;
  }
  char breakText[16];
  std::snprintf(breakText, sizeof breakText, "0x%04x", request.breakAddress);
  char xramText[32];
  std::snprintf(xramText, sizeof xramText, "0x%x 0x%x", request.xramFirst, request.xramLast);
  std::string script = "fill iram 0 0xff 0\nfill xram 0 0xffff 0\nbreak " + std::string(breakText) +
                       "\nrun\nstate\ninfo registers\ndump /h iram 0 0xff 16\n"
                       "dump /h sfr 0x80 0xff 8\n";
  if (request.dumpXram) script += "dump /h xram " + std::string(xramText) + " 16\n";
  script += "quit\n";
  const auto written = write(fd, script.data(), script.size());
  close(fd);
  if (written != static_cast<ssize_t>(script.size())) {
    unlink(scriptPath);
    error = "cannot write the command file for s51";
    return std::nullopt;
  }
  const std::string command = "timeout " + std::to_string(request.timeoutSeconds) + " '" + s51 +
                              "' -t DS320 -b '" + request.hexPath + "' < " + scriptPath + " 2>&1";
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) output.append(buf, n);
    pclose(pipe);
  }
  unlink(scriptPath);

  std::smatch m;
  const std::regex stop(R"(Stop at 0x([0-9a-fA-F]+): \(\d+\) Breakpoint)");
  if (!std::regex_search(output, m, stop)) {
    error = "s51 did not stop at the breakpoint " + std::string(breakText);
    return std::nullopt;
  }
  UcsimState state;
  state.pc = static_cast<std::uint16_t>(std::stoul(m[1], nullptr, 16));
  const std::regex clocks(R"(Total time since last reset=.*\((\d+) clks\))");
  const std::regex inst(R"(Inst= (\d+))");
  const std::regex host(R"(Host usage: ([0-9.eE+-]+) sec)");
  const std::regex dptr0(R"(DPTR0= 0x([0-9a-fA-F]{4}))"), dptr1(R"(DPTR1= 0x([0-9a-fA-F]{4}))");
  std::smatch c, i, h, d0, d1;
  if (!std::regex_search(output, c, clocks) || !std::regex_search(output, i, inst) ||
      !std::regex_search(output, d0, dptr0) || !std::regex_search(output, d1, dptr1)) {
    error = "s51's state output not understood";
    return std::nullopt;
  }
  const std::uint64_t clks = std::stoull(c[1]);
  state.cycles = clks >= kClocksBeforeFirstInstruction ? (clks - kClocksBeforeFirstInstruction) / 4 : 0;
  const std::uint64_t counted = std::stoull(i[1]);
  state.instructions = counted ? counted - 1 : 0;  // s51 counts its reset as one
  if (std::regex_search(output, h, host)) state.hostSeconds = std::stod(h[1]);
  state.dptr0 = static_cast<std::uint16_t>(std::stoul(d0[1], nullptr, 16));
  state.dptr1 = static_cast<std::uint16_t>(std::stoul(d1[1], nullptr, 16));
  Dumps dumps;
  if (request.dumpXram) dumps.xram.resize(request.xramLast - request.xramFirst + 1u);
  readDumps(output, request.xramFirst, request.xramLast, dumps);
  if (dumps.iramBytes != 256 || dumps.sfrBytes != 128 ||
      dumps.xramBytes != dumps.xram.size()) {
    error = "s51's memory dumps not understood";
    return std::nullopt;
  }
  std::copy(std::begin(dumps.iram), std::end(dumps.iram), state.iram);
  std::copy(std::begin(dumps.sfr), std::end(dumps.sfr), state.sfr);
  state.xram = std::move(dumps.xram);
  state.a = state.sfr[0xE0 - 0x80];
  state.b = state.sfr[0xF0 - 0x80];
  state.psw = state.sfr[0xD0 - 0x80];
  state.sp = state.sfr[0x81 - 0x80];
  state.dps = state.sfr[0x86 - 0x80];
  return state;
}

}  // namespace mcs51
