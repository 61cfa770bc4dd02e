#include "host/platform/posix/terminal_raw_mode.h"

#include <csignal>
#include <termios.h>
#include <unistd.h>

namespace {

// The signals whose default action ends the process (restore, then let them act) and the
// stop signal (restore, stop, and take raw mode back on continuing).
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
constexpr int kSignalCount = sizeof kEndingSignals / sizeof kEndingSignals[0];

// Shared with the signal handlers, so plain data only.
int rawFd = -1;
struct termios savedModes;
struct termios rawModes;
struct sigaction previousEnding[kSignalCount];
struct sigaction previousStop;
struct sigaction previousContinue;

void onEndingSignal(int signal) {
  tcsetattr(rawFd, TCSANOW, &savedModes);
  for (int i = 0; i < kSignalCount; ++i) {
    if (kEndingSignals[i] == signal) sigaction(signal, &previousEnding[i], nullptr);
  }
  raise(signal);  // delivered when this handler returns, with the previous action
}

void onContinue(int) { tcsetattr(rawFd, TCSANOW, &rawModes); }

void onStop(int) {
  tcsetattr(rawFd, TCSANOW, &savedModes);
  struct sigaction ours;
  sigaction(SIGTSTP, &previousStop, &ours);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGTSTP);
  raise(SIGTSTP);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);  // the process stops here until SIGCONT
  sigaction(SIGTSTP, &ours, nullptr);
}

void install(int signal, void (*handler)(int), struct sigaction* previous) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: the reader retries on EINTR itself
  sigaction(signal, &action, previous);
}

}  // namespace

TerminalRawMode::TerminalRawMode(int fd) : fd_(fd) {
  struct termios modes;
  if (tcgetattr(fd, &modes) != 0) return;
  savedModes = modes;
  rawFd = fd;
  // Keys one by one, unechoed, with Ctrl+C, Ctrl+Z, Ctrl+S and Enter delivered as their bytes.
  // Output processing stays on, so text printed meanwhile keeps its line ends.
  modes.c_lflag &= ~(ICANON | ECHO | ISIG | IEXTEN);
  modes.c_iflag &= ~(ICRNL | INLCR | IGNCR | IXON | ISTRIP | BRKINT);
  modes.c_cc[VMIN] = 1;
  modes.c_cc[VTIME] = 0;
  rawModes = modes;
  for (int i = 0; i < kSignalCount; ++i) install(kEndingSignals[i], onEndingSignal, &previousEnding[i]);
  install(SIGTSTP, onStop, &previousStop);
  install(SIGCONT, onContinue, &previousContinue);
  // TCSANOW keeps keys typed ahead; they are the next keys to read.
  active_ = tcsetattr(fd, TCSANOW, &modes) == 0;
}

TerminalRawMode::~TerminalRawMode() {
  if (rawFd != fd_) return;
  tcsetattr(fd_, TCSANOW, &savedModes);
  for (int i = 0; i < kSignalCount; ++i) sigaction(kEndingSignals[i], &previousEnding[i], nullptr);
  sigaction(SIGTSTP, &previousStop, nullptr);
  sigaction(SIGCONT, &previousContinue, nullptr);
  rawFd = -1;
}
