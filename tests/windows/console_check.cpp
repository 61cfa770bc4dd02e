// Drives the Windows key reader and screen clear on the console it runs in (wine gives a
// program started on a terminal a console): key events are put into the console's input
// queue, and the codes, the input modes around each read and the screen after a clear are
// checked. The console shows whatever the program prints, so the findings go to the log file
// named by the first argument; the exit status is 0 when all hold, 77 without a console.
#include <windows.h>

#include <cstdio>
#include <thread>
#include <vector>

#include "host/platform/console.h"

namespace {
int failures = 0;
std::FILE* logFile = stderr;

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(logFile, "FAIL: %s\n", what);
    ++failures;
  }
}

INPUT_RECORD keyEvent(bool down, WORD scan, char character, DWORD state) {
  INPUT_RECORD record{};
  record.EventType = KEY_EVENT;
  record.Event.KeyEvent.bKeyDown = down;
  record.Event.KeyEvent.wRepeatCount = 1;
  record.Event.KeyEvent.wVirtualScanCode = scan;
  record.Event.KeyEvent.uChar.AsciiChar = character;
  record.Event.KeyEvent.dwControlKeyState = state;
  return record;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) logFile = std::fopen(argv[1], "w");
  if (logFile == nullptr) return 1;
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD initialMode = 0;
  if (!GetConsoleMode(input, &initialMode)) {
    std::fprintf(logFile, "no console here\n");
    return 77;
  }

  const DWORD cookedMode = ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT;
  SetConsoleMode(input, cookedMode);

  std::vector<INPUT_RECORD> events = {
      keyEvent(true, 30, 'a', 0),          keyEvent(false, 30, 'a', 0),  // a, released
      keyEvent(true, 42, 0, SHIFT_PRESSED),                              // Shift alone
      keyEvent(true, 59, 0, 0),                                          // F1
      keyEvent(true, 72, 0, ENHANCED_KEY),                               // cursor block up
      keyEvent(true, 1, 27, 0),                                          // ESC
  };
  DWORD written = 0;
  check(WriteConsoleInputA(input, events.data(), static_cast<DWORD>(events.size()), &written) &&
            written == events.size(),
        "queueing the key events");

  const int expected[] = {97, 0, 59, 224, 72, 27};
  for (int code : expected) {
    const int got = readKeyCode();
    if (got != code) std::fprintf(logFile, "read %d, expected %d\n", got, code);
    check(got == code, "key code");
    DWORD mode = 0;
    GetConsoleMode(input, &mode);
    check((mode & cookedMode) == cookedMode, "input modes restored after the read");
  }

  // Ctrl+C typed while the reader waits is a plain key: the console ends a process that gets
  // it with Ctrl+C processing on, so it is typed only once the reader has switched it off.
  std::thread typist([input] {
    DWORD mode = ENABLE_PROCESSED_INPUT;
    while (GetConsoleMode(input, &mode) && (mode & ENABLE_PROCESSED_INPUT) != 0) Sleep(1);
    INPUT_RECORD ctrlC = keyEvent(true, 46, 3, LEFT_CTRL_PRESSED);
    DWORD queued = 0;
    WriteConsoleInputA(input, &ctrlC, 1, &queued);
  });
  const int ctrlCCode = readKeyCode();
  typist.join();
  if (ctrlCCode != 3) std::fprintf(logFile, "Ctrl+C read as %d\n", ctrlCCode);
  check(ctrlCCode == 3, "Ctrl+C arrives as code 3");

  const char marks[] = "XYZ";
  WriteConsoleOutputCharacterA(output, marks, 3, COORD{0, 0}, &written);
  WriteConsoleOutputCharacterA(output, marks, 3, COORD{70, 20}, &written);
  SetConsoleCursorPosition(output, COORD{5, 5});
  clearScreen();
  char cells[3] = {0, 0, 0};
  ReadConsoleOutputCharacterA(output, cells, 3, COORD{0, 0}, &written);
  check(cells[0] == ' ' && cells[1] == ' ' && cells[2] == ' ', "top-left cells blank");
  ReadConsoleOutputCharacterA(output, cells, 3, COORD{70, 20}, &written);
  check(cells[0] == ' ' && cells[1] == ' ' && cells[2] == ' ', "cells further down blank");
  CONSOLE_SCREEN_BUFFER_INFO info{};
  GetConsoleScreenBufferInfo(output, &info);
  check(info.dwCursorPosition.X == 0 && info.dwCursorPosition.Y == 0, "cursor at the top left");

  std::fprintf(logFile, failures == 0 ? "console check passed\n" : "console check failed\n");
  std::fclose(logFile);
  return failures == 0 ? 0 : 1;
}
