// The key reader on a real pseudo-terminal and on a pipe, standing in for standard input.
#include <gtest/gtest.h>

#include <fcntl.h>
#if defined(__APPLE__)
#include <util.h>
#else
#include <pty.h>
#endif
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "host/platform/console.h"

namespace {

// Puts `fd` in the place of standard input for the test's lifetime.
class StandardInputReplaced {
 public:
  explicit StandardInputReplaced(int fd) : saved_(dup(STDIN_FILENO)) { dup2(fd, STDIN_FILENO); }
  ~StandardInputReplaced() {
    dup2(saved_, STDIN_FILENO);
    close(saved_);
  }

 private:
  int saved_;
};

class ReadKeyCodeOnTerminal : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(openpty(&master_, &slave_, nullptr, nullptr, nullptr), 0);
    ASSERT_EQ(tcgetattr(slave_, &cooked_), 0);
    input_ = std::make_unique<StandardInputReplaced>(slave_);
  }
  void TearDown() override {
    input_.reset();
    close(slave_);
    close(master_);
  }
  void type(const std::string& bytes) {
    ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // Types `bytes` once the reader has switched the terminal to single keys: typed earlier, in
  // line mode, Ctrl+C and the like would be taken by the terminal itself.
  std::thread typeWhenReading(const std::string& bytes) {
    return std::thread([this, bytes] {
      struct termios modes;
      for (int i = 0; i < 5000; ++i) {
        if (tcgetattr(master_, &modes) == 0 && (modes.c_lflag & ICANON) == 0) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      type(bytes);
    });
  }
  void expectModesRestored() {
    struct termios now;
    ASSERT_EQ(tcgetattr(slave_, &now), 0);
    EXPECT_EQ(now.c_lflag, cooked_.c_lflag);
    EXPECT_EQ(now.c_iflag, cooked_.c_iflag);
    EXPECT_EQ(now.c_oflag, cooked_.c_oflag);
    EXPECT_EQ(std::memcmp(now.c_cc, cooked_.c_cc, sizeof now.c_cc), 0);
  }

  int master_ = -1, slave_ = -1;
  struct termios cooked_;
  std::unique_ptr<StandardInputReplaced> input_;
};

TEST_F(ReadKeyCodeOnTerminal, HoldsTheSecondCodeAndRestoresTheModes) {
  type("\x1b[A");
  EXPECT_EQ(readKeyCode(), 224);
  expectModesRestored();
  EXPECT_EQ(readKeyCode(), 72);  // no further input needed: held from the same key
  type("\x1b[15~");
  EXPECT_EQ(readKeyCode(), 0);
  EXPECT_EQ(readKeyCode(), 63);
  expectModesRestored();
}

TEST_F(ReadKeyCodeOnTerminal, DeliversControlKeysAsBytesNotSignals) {
  std::thread typist = typeWhenReading("\x03\x1a\r");
  EXPECT_EQ(readKeyCode(), 3);  // with signals on, the terminal would have taken Ctrl+C
  typist.join();
  EXPECT_EQ(readKeyCode(), 26);
  EXPECT_EQ(readKeyCode(), 13);
  expectModesRestored();
}

TEST_F(ReadKeyCodeOnTerminal, TellsALoneEscFromAnAltKey) {
  type("\x1b");
  EXPECT_EQ(readKeyCode(), 27);  // the time-out decides; nothing else was typed
  type("\x1b" "d");
  EXPECT_EQ(readKeyCode(), 0);
  EXPECT_EQ(readKeyCode(), 32);
}

TEST_F(ReadKeyCodeOnTerminal, KeepsKeysTypedWhileNotReading) {
  type("ab");  // typed in line mode, before the reader switches to single keys
  EXPECT_EQ(readKeyCode(), 'a');
  EXPECT_EQ(readKeyCode(), 'b');
}

TEST(ReadKeyCodeOnPipe, ReadsBytesAsKeysAndMinusOneAtTheEnd) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const std::string bytes = "d\x1bOP\x1b";
  ASSERT_EQ(write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  close(fds[1]);
  StandardInputReplaced input(fds[0]);
  EXPECT_EQ(readKeyCode(), 'd');
  EXPECT_EQ(readKeyCode(), 0);
  EXPECT_EQ(readKeyCode(), 59);
  EXPECT_EQ(readKeyCode(), 27);  // an ESC right before the end is still the ESC key
  EXPECT_EQ(readKeyCode(), -1);
  EXPECT_EQ(readKeyCode(), -1);
  close(fds[0]);
}

}  // namespace
