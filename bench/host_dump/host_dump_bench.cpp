// Wall time of the whole-device dump (D) and the main-area dump (L), from the key press to
// the command screen drawn after it, for each simulated bridge; with the targets beside.
// (Neither the tool nor the bridges report simulated time, so wall time is all there is.)
//   host_dump_bench [bridge ...]   (default: the bridges the build offers)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/flash_files.h"
#include "tests/e2e/tool_session.h"

namespace {

struct Target {
  double dump, mainArea;  // MB/s
};

Target targetFor(const std::string& bridge) {
  if (bridge == "chip") return {25, 10};
  return {100, 50};
}

bool commandScreen(const ScreenModel& s) {
  return s.row(33) == "F1 for help" && s.row(37).rfind("filename:", 0) == 0 && s.cursorRow() == 38;
}

// Presses `key` and returns the seconds until the next command screen; negative on failure.
double timeKey(ToolSession& tool, const std::string& key) {
  const int clears = tool.screen().clears();
  if (!tool.press(key)) return -1;
  const auto start = std::chrono::steady_clock::now();
  const bool done = tool.waitFor(
      [&](const ScreenModel& s) { return s.clears() > clears && commandScreen(s); },
      std::chrono::minutes(30));
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  return done && tool.screen().row(35) == "offset:04000000" ? took.count() : -1;
}

bool benchBridge(const std::string& bridge) {
  TempFolder folder;
  const std::string image = folder.file("flash.bin");
  const std::string dump = folder.file("dump.bin");
  if (!writeFile(image, patternImage(kBlockCount * kPagesPerBlock, 7))) return false;

  ToolLaunch launch;
  launch.tool = NANDBRIDGE_TOOL_PATH;
  launch.arguments = {dump};
  launch.setEnvironment = {"NANDBRIDGE_SIM=" + image, "NANDBRIDGE_SIM_BRIDGE=" + bridge};
  ToolSession tool(launch);
  if (!tool.waitFor(commandScreen, std::chrono::minutes(2))) {
    std::printf("%-10s the tool did not start:\n%s\n", bridge.c_str(), tool.output().c_str());
    return false;
  }
  const Target target = targetFor(bridge);
  bool met = true;
  struct Run {
    const char* key;
    const char* what;
    double bytes, target;
  };
  for (const Run& run : {Run{"D", "whole device", double(kDeviceRaw), target.dump},
                         Run{"L", "main area", double(kBlockCount * kPagesPerBlock * kPageData), target.mainArea}}) {
    const double seconds = timeKey(tool, run.key);
    if (seconds <= 0) {
      std::printf("%-10s %s (%s): failed; the screen shows:\n%s\n", bridge.c_str(), run.key, run.what,
                  tool.screen().text().c_str());
      return false;
    }
    const double rate = run.bytes / 1e6 / seconds;
    met = met && rate >= run.target;
    std::printf("%-10s %s (%-12s) %10.0f bytes in %7.3f s: %8.1f MB/s  (target >= %.0f MB/s%s)\n",
                bridge.c_str(), run.key, run.what, run.bytes, seconds, rate, run.target,
                rate >= run.target ? "" : ", MISSED");
    std::fflush(stdout);
  }
  tool.press("\x1b");
  tool.waitExit();
  return met;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> bridges(argv + 1, argv + argc);
  if (bridges.empty()) {
    std::stringstream list(NANDBRIDGE_BENCH_BRIDGES);
    for (std::string bridge; std::getline(list, bridge, ',');) bridges.push_back(bridge);
  }
  bool allMet = true;
  for (const std::string& bridge : bridges) allMet = benchBridge(bridge) && allMet;
  return allMet ? 0 : 1;
}
