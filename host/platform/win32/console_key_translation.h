#pragma once
// Turns one Windows console key event into the key reader's codes: a character key gives its
// character, a key without one gives a prefix (0, or 224 for F11, F12 and the separate cursor
// block) and its extended code, a key release or a lone modifier gives nothing. Kept free of
// windows.h so that the table is checked on every platform.
#include <cstdint>

namespace win32_console {

// The event's fields as the console delivers them (KEY_EVENT_RECORD).
struct KeyEvent {
  bool keyDown = true;
  std::uint16_t scanCode = 0;
  std::uint8_t character = 0;  // the ANSI character, 0 for none
  std::uint32_t controlKeyState = 0;
};

// Bits of the control key state, with the console's values.
inline constexpr std::uint32_t STATE_RIGHT_ALT = 0x0001;
inline constexpr std::uint32_t STATE_LEFT_ALT = 0x0002;
inline constexpr std::uint32_t STATE_RIGHT_CTRL = 0x0004;
inline constexpr std::uint32_t STATE_LEFT_CTRL = 0x0008;
inline constexpr std::uint32_t STATE_SHIFT = 0x0010;
inline constexpr std::uint32_t STATE_ENHANCED_KEY = 0x0100;

struct KeyCodes {
  int count = 0;  // 0 (skip the event), 1 or 2
  int codes[2] = {0, 0};
};

KeyCodes translateKeyEvent(const KeyEvent& event);

}  // namespace win32_console
