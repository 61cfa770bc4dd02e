// The console key reader on Windows: raw key events from the console input, translated to
// the two-code keys. With the input redirected (a pipe or a file, no console to read events
// from), the bytes are taken as they come, so that scripted runs can drive the tool.
#include <windows.h>

#include <cstdio>

#include "host/platform/console.h"
#include "host/platform/win32/console_key_translation.h"

namespace {
int heldCode = -1;  // the second code of a two-code key, returned by the next call

int readRedirectedByte(HANDLE input) {
  unsigned char byte = 0;
  DWORD got = 0;
  if (!ReadFile(input, &byte, 1, &got, nullptr) || got != 1) return -1;
  return byte;
}

int readConsoleKey(HANDLE input) {
  for (;;) {
    INPUT_RECORD record;
    DWORD got = 0;
    if (!ReadConsoleInputA(input, &record, 1, &got) || got != 1) return -1;
    if (record.EventType != KEY_EVENT) continue;
    const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
    const win32_console::KeyCodes codes = win32_console::translateKeyEvent(
        {key.bKeyDown != 0, key.wVirtualScanCode, static_cast<std::uint8_t>(key.uChar.AsciiChar),
         key.dwControlKeyState});
    if (codes.count == 0) continue;
    if (codes.count == 2) heldCode = codes.codes[1];
    return codes.codes[0];
  }
}
}  // namespace

int readKeyCode() {
  if (heldCode >= 0) {
    const int code = heldCode;
    heldCode = -1;
    return code;
  }
  std::fflush(stdout);  // whatever was printed before the wait must be on the screen
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == INVALID_HANDLE_VALUE || input == nullptr) return -1;
  DWORD previousMode = 0;
  if (!GetConsoleMode(input, &previousMode)) return readRedirectedByte(input);

  // No line input, no echo, and Ctrl+C as a plain key (code 3), for this call only.
  SetConsoleMode(input,
                 previousMode & ~(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT));
  const int code = readConsoleKey(input);
  SetConsoleMode(input, previousMode);
  return code;
}
