#pragma once
// Runs the built nandbridge on a pseudo-terminal, as an operator at a terminal would: keys
// go in, the output is applied to a screen model, and waits end on what the screen shows.
#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

#include "tests/e2e/screen_model.h"

struct ToolLaunch {
  std::string tool;                 // path of the nandbridge binary
  std::vector<std::string> arguments;
  // Variables to set ("NAME=value") and to remove ("NAME") in the tool's environment.
  std::vector<std::string> setEnvironment;
  std::vector<std::string> unsetEnvironment;
};

class ToolSession {
 public:
  static constexpr int kRows = 60;
  static constexpr int kColumns = 80;

  explicit ToolSession(const ToolLaunch& launch);
  ~ToolSession();
  ToolSession(const ToolSession&) = delete;
  ToolSession& operator=(const ToolSession&) = delete;

  const ScreenModel& screen() const { return screen_; }
  // Everything the tool has written so far, control codes included.
  const std::string& output() const { return output_; }

  // Reads output until `condition` holds on the screen; false when the time-out passes or
  // the tool ends first. The time-outs only guard against a hang.
  bool waitFor(const std::function<bool(const ScreenModel&)>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(30));
  // Waits until the tool blocks in a key read (its terminal is in single-key mode) and
  // sends `keys`. A lone ESC is followed by a pause longer than the reader's time-out.
  bool press(const std::string& keys, std::chrono::milliseconds timeout = std::chrono::seconds(30));
  // Waits until the tool blocks in its next key read and takes in all it wrote before.
  bool settle(std::chrono::milliseconds timeout = std::chrono::seconds(30));
  // Sends `keys` without waiting (for the line editor of the file requester).
  void type(const std::string& keys);

  // Waits for the tool to end; its exit status, or -1000 on a time-out, -2000 for a signal.
  int waitExit(std::chrono::milliseconds timeout = std::chrono::seconds(30));
  bool running();
  void sendSignal(int signal);
  // True while the terminal is in single-key mode, that is while the tool reads a key.
  bool inKeyRead() const;

 private:
  bool readOutput(int waitMs);

  pid_t pid_ = -1;
  int master_ = -1;
  int exitStatus_ = -1;
  bool exited_ = false;
  ScreenModel screen_{kRows, kColumns};
  std::string output_;
};

struct CapturedRun {
  int exitStatus = -1;
  std::string out, err;
};

// Runs the tool with standard output and standard error on pipes and no terminal at all.
CapturedRun runCaptured(const ToolLaunch& launch, std::chrono::milliseconds timeout);
