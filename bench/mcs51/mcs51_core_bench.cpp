// Emulated instructions per second of our 8051 core and of ucsim's s51 on the same
// SDCC-compiled CPU-bound program, both measured in CPU time of this machine.
#include <sys/resource.h>
#include <ctime>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "sim/mcs51/intel_hex.h"
#include "sim/mcs51/mcs51_core.h"
#include "sim/mcs51/ucsim_runner.h"

namespace {

double processCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double childrenCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

int haltAddress(const std::string& mapPath) {
  std::ifstream in(mapPath);
  std::string line;
  const std::regex entry(R"(^\s*C:\s+([0-9A-Fa-f]+)\s+_halt\s)");
  std::smatch m;
  while (std::getline(in, line))
    if (std::regex_search(line, m, entry)) return static_cast<int>(std::stoul(m[1], nullptr, 16));
  return -1;
}

}  // namespace

int main() {
  const std::string base = MCS51_WORKLOAD;
  const int halt = haltAddress(base + ".map");
  std::ifstream in(base + ".ihx");
  std::stringstream text;
  text << in.rdbuf();
  std::vector<std::uint8_t> image(0x10000, 0);
  if (halt < 0 || !mcs51::loadIntelHex(text.str(), image).ok) {
    std::fprintf(stderr, "mcs51_core_bench: cannot load %s.ihx/.map\n", base.c_str());
    return 1;
  }

  // Our core: the whole program from reset, as often as fits in about two seconds.
  std::vector<std::uint8_t> memory;
  mcs51::Core core;
  std::uint64_t instructions = 0, perRun = 0, cyclesPerRun = 0;
  unsigned runs = 0;
  const double start = processCpuSeconds();
  double elapsed = 0;
  do {
    memory = image;
    core.setMemory(memory.data(), static_cast<std::uint32_t>(memory.size()));
    core.reset();  // keeps the counters running
    const std::uint64_t cyclesBefore = core.cycles();
    perRun = core.runInstructions(~0ull >> 1, halt);
    cyclesPerRun = core.cycles() - cyclesBefore;
    instructions += perRun;
    ++runs;
    elapsed = processCpuSeconds() - start;
  } while (elapsed < 2.0);
  const double ours = static_cast<double>(instructions) / elapsed;
  std::printf("workload: %llu instructions, %llu cycles per run\n",
              static_cast<unsigned long long>(perRun),
              static_cast<unsigned long long>(cyclesPerRun));
  std::printf("our core:  %.1f M instructions/s (%u runs, %.2f s CPU)  target >= 100 M/s: %s\n",
              ours / 1e6, runs, elapsed, ours >= 100e6 ? "met" : "NOT MET");

  // ucsim: one run of the same program to the same address; its CPU time as our child.
  mcs51::UcsimRequest request;
  request.hexPath = base + ".ihx";
  request.breakAddress = static_cast<std::uint16_t>(halt);
  request.timeoutSeconds = 600;
  std::string error;
  const double childStart = childrenCpuSeconds();
  const auto theirs = mcs51::runUcsim(request, error);
  const double childElapsed = childrenCpuSeconds() - childStart;
  if (!theirs) {
    std::printf("ucsim s51: not measured (%s)\n", error.c_str());
    return 0;
  }
  const double ucsim = static_cast<double>(theirs->instructions) / childElapsed;
  std::printf("ucsim s51: %.2f M instructions/s (%llu instructions, %.2f s CPU)\n", ucsim / 1e6,
              static_cast<unsigned long long>(theirs->instructions), childElapsed);
  std::printf("ratio:     %.1fx  target >= 20x: %s\n", ours / ucsim, ours >= 20 * ucsim ? "met" : "NOT MET");
  return 0;
}
