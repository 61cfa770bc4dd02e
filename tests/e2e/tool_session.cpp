#include "tests/e2e/tool_session.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#if defined(__APPLE__)
#include <util.h>
#else
#include <pty.h>
#endif
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void execTool(const ToolLaunch& launch) {
  for (const std::string& name : launch.unsetEnvironment) unsetenv(name.c_str());
  for (const std::string& entry : launch.setEnvironment) putenv(strdup(entry.c_str()));
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(launch.tool.c_str()));
  for (const std::string& argument : launch.arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  execv(launch.tool.c_str(), argv.data());
  std::fprintf(stderr, "cannot start %s: %s\n", launch.tool.c_str(), std::strerror(errno));
  _exit(127);
}

int decodeStatus(int status) {
  if (WIFEXITED(status)) return static_cast<signed char>(WEXITSTATUS(status));
  return -2000;
}

}  // namespace

ToolSession::ToolSession(const ToolLaunch& launch) {
  struct winsize size {};
  size.ws_row = kRows;
  size.ws_col = kColumns;
  pid_ = forkpty(&master_, nullptr, nullptr, &size);
  if (pid_ == 0) {
    setenv("TERM", "xterm", 1);
    execTool(launch);
  }
  if (pid_ > 0) fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

ToolSession::~ToolSession() {
  if (pid_ > 0 && !exited_) {
    kill(pid_, SIGKILL);
    int status;
    waitpid(pid_, &status, 0);
  }
  if (master_ >= 0) close(master_);
}

bool ToolSession::running() {
  if (exited_ || pid_ <= 0) return false;
  int status;
  if (waitpid(pid_, &status, WNOHANG) == pid_) {
    exited_ = true;
    exitStatus_ = decodeStatus(status);
    return false;
  }
  return true;
}

// Reads what is there, waiting up to `waitMs` for the first bytes. False when nothing came.
bool ToolSession::readOutput(int waitMs) {
  struct pollfd ready {master_, POLLIN, 0};
  if (poll(&ready, 1, waitMs) <= 0) return false;
  bool any = false;
  char chunk[65536];
  for (;;) {
    const ssize_t got = read(master_, chunk, sizeof chunk);
    if (got <= 0) break;  // EAGAIN: drained; EIO: the tool has closed its terminal
    output_.append(chunk, static_cast<std::size_t>(got));
    screen_.apply(std::string_view(chunk, static_cast<std::size_t>(got)));
    any = true;
  }
  return any;
}

bool ToolSession::waitFor(const std::function<bool(const ScreenModel&)>& condition,
                          std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    readOutput(0);
    if (condition(screen_)) return true;
    if (!running()) {
      while (readOutput(20)) {}
      return condition(screen_);
    }
    if (Clock::now() >= deadline) return false;
    readOutput(10);
  }
}

void ToolSession::sendSignal(int signal) {
  if (pid_ > 0 && !exited_) kill(pid_, signal);
}

bool ToolSession::inKeyRead() const {
  // The pty shares its modes with the tool's side: single-key mode means a key read is on.
  struct termios modes;
  if (tcgetattr(master_, &modes) != 0) return false;
  return (modes.c_lflag & (ICANON | ECHO)) == 0;
}

bool ToolSession::press(const std::string& keys, std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (!inKeyRead()) {
    if (!running() || Clock::now() >= deadline) return false;
    readOutput(1);
  }
  type(keys);
  if (!keys.empty() && keys.back() == '\x1b') std::this_thread::sleep_for(std::chrono::milliseconds(150));
  return true;
}

bool ToolSession::settle(std::chrono::milliseconds timeout) {
  const bool reading = waitFor([this](const ScreenModel&) { return inKeyRead(); }, timeout);
  readOutput(0);  // what was written before the key read began
  return reading;
}

void ToolSession::type(const std::string& keys) {
  std::size_t sent = 0;
  while (sent < keys.size()) {
    const ssize_t wrote = write(master_, keys.data() + sent, keys.size() - sent);
    if (wrote > 0) {
      sent += static_cast<std::size_t>(wrote);
    } else if (errno == EAGAIN) {
      readOutput(1);
    } else {
      return;
    }
  }
}

int ToolSession::waitExit(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (running()) {
    if (Clock::now() >= deadline) return -1000;
    readOutput(10);
  }
  while (readOutput(20)) {}
  return exitStatus_;
}

CapturedRun runCaptured(const ToolLaunch& launch, std::chrono::milliseconds timeout) {
  CapturedRun run;
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) return run;
  const pid_t pid = fork();
  if (pid == 0) {
    const int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    close(out[0]);
    close(err[0]);
    setsid();  // no controlling terminal either
    execTool(launch);
  }
  close(out[1]);
  close(err[1]);
  const auto deadline = Clock::now() + timeout;
  struct pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  int open = 2;
  while (open > 0 && Clock::now() < deadline) {
    if (poll(fds, 2, 50) <= 0) continue;
    for (auto& fd : fds) {
      if (fd.fd < 0 || !(fd.revents & (POLLIN | POLLHUP))) continue;
      char chunk[4096];
      const ssize_t got = read(fd.fd, chunk, sizeof chunk);
      if (got > 0) {
        (fd.fd == out[0] ? run.out : run.err).append(chunk, static_cast<std::size_t>(got));
      } else {
        close(fd.fd);
        fd.fd = -1;
        --open;
      }
    }
  }
  int status = 0;
  if (open > 0) {
    kill(pid, SIGKILL);
    run.exitStatus = -1000;
  }
  waitpid(pid, &status, 0);
  if (run.exitStatus != -1000) run.exitStatus = decodeStatus(status);
  for (auto& fd : fds) if (fd.fd >= 0) close(fd.fd);
  return run;
}
