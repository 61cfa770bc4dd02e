#include "host/startup.h"

#include <gtest/gtest.h>

#include <set>

#include "tests/host/recording_device.h"
#include "tests/host/scripted_console.h"

namespace {

std::shared_ptr<DeviceRecorder> bridge;
std::set<int> present;
std::string refusal;

std::unique_ptr<DriverDevice> opener(int instance, std::string& error) {
  if (!present.count(instance)) {
    error = refusal;
    return nullptr;
  }
  return std::make_unique<RecordingDevice>(bridge);
}

struct RunResult {
  int status;
  std::string out, err;
  std::vector<std::string> screen;
  std::vector<std::string> requesterCalls;
};

RunResult run(std::vector<std::string> args, std::set<int> instances, std::deque<int> keys = {27},
              std::vector<std::string> answers = {}) {
  bridge = std::make_shared<DeviceRecorder>();
  present = std::move(instances);
  ScriptedConsole console;
  console.keys = std::move(keys);
  console.requesterAnswers = std::move(answers);
  ToolEnvironment environment;
  environment.console = console.console();
  environment.opener = opener;
  std::string firmware = ":0300000002010077\r\n:00000001FF\r\n";
  environment.firmwareText = firmware.data();
  args.insert(args.begin(), "nandbridge");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  RunResult result;
  result.status = runTool(static_cast<int>(args.size()), argv.data(), environment);
  result.out = console.output();
  result.err = console.errors();
  // The first screen: drawn after the first clear, up to the next one.
  const std::size_t first = result.out.find('\f');
  const std::size_t next = result.out.find('\f', first + 1);
  if (first != std::string::npos) {
    std::string screen = result.out.substr(first + 1, next - first - 1);
    for (std::size_t s = 0, e; (e = screen.find('\n', s)) != std::string::npos; s = e + 1) {
      result.screen.push_back(screen.substr(s, e - s));
    }
  }
  result.requesterCalls = console.requesterSawOnEntry;
  return result;
}

TEST(Startup, NoBridgeGivesUsageOnStandardErrorAndStatus2) {
  refusal.clear();
  const RunResult r = run({"rom.bin"}, {7});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "looking for device\n");
  std::size_t lines = 0;
  for (char c : r.err) lines += c == '\n';
  EXPECT_EQ(lines, 3u);
  EXPECT_EQ(r.err.rfind("nandbridge", 0), 0u);
  EXPECT_NE(r.err.find("-g"), std::string::npos);
  EXPECT_NE(r.err.find("NANDBRIDGE_SIM="), std::string::npos);
}

TEST(Startup, OpenersReasonComesBeforeTheUsage) {
  refusal = "permission denied: see the README's udev section";
  const RunResult r = run({}, {});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind(refusal + "\n", 0), 0u) << "said once, before the usage";
  EXPECT_EQ(r.err.find(refusal, 1), std::string::npos);
  refusal.clear();
}

TEST(Startup, MessagesInOrderThenLoaderThenInterfaceThenTheFirstScreen) {
  const RunResult r = run({}, {3});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.substr(0, r.out.find('\f')),
            "looking for device\nfound device:3\nallocating 1MB buffer\n");
  const auto& calls = bridge->calls;
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].kind, CallKind::Vendor);
  EXPECT_EQ(calls[0].bytes.back(), 0x01);
  EXPECT_EQ(calls[1].kind, CallKind::Download);
  EXPECT_EQ(calls[1].bytes, (Bytes{0x02, 0x01, 0x00}));
  EXPECT_EQ(calls[2].kind, CallKind::Vendor);
  EXPECT_EQ(calls[2].bytes.back(), 0x00);
  EXPECT_EQ(calls[3].kind, CallKind::SelectInterface);
  EXPECT_EQ(calls[3].pipe, 0u);
  EXPECT_EQ(calls[3].count, 1u);
  ASSERT_EQ(r.screen.size(), 38u);
  EXPECT_EQ(r.screen[35], "offset:00000000");
  EXPECT_EQ(r.screen[36], "             *");
  EXPECT_EQ(r.out.back(), '\f') << "ESC leaves a clear screen";
}

TEST(Startup, CommandLineFileName) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> answers;
    std::string fileLine;
    std::size_t requesterCalls;
  };
  const Case cases[] = {
      {{}, {}, "filename:(null)", 0},
      {{"rom.bin"}, {}, "filename:rom.bin", 0},
      {{"a.bin", "b.bin"}, {}, "filename:a.bin", 0},
      {{"-g"}, {"chosen.bin"}, "filename:chosen.bin", 1},
      {{"-g"}, {}, "filename:", 1},  // cancelled: the empty buffer is the name
      {{"-G"}, {}, "filename:-G", 0},
      {{"-gx"}, {}, "filename:-gx", 0},
      {{"g"}, {}, "filename:g", 0},
  };
  for (const Case& c : cases) {
    const RunResult r = run(c.args, {0}, {27}, c.answers);
    ASSERT_EQ(r.screen.size(), 38u);
    EXPECT_EQ(r.screen[37], c.fileLine);
    EXPECT_EQ(r.requesterCalls.size(), c.requesterCalls);
  }
}

}  // namespace
