#include "host/platform/win32/console_key_translation.h"

#include <array>

namespace win32_console {

namespace {
// One code pair per modifier combination; code 0 means the combination gives nothing.
struct Variant {
  std::uint8_t prefix;
  std::uint8_t code;
};

struct ExtendedKey {
  std::uint16_t scanCode;
  Variant normal, shift, ctrl, alt;
};

constexpr std::uint8_t PREFIX_FUNCTION = 0;
constexpr std::uint8_t PREFIX_CURSOR_BLOCK = 224;

// The console's standard extended-key codes. F1 to F10 and F11, F12:
constexpr std::array<ExtendedKey, 12> FUNCTION_KEYS = {{
    {59, {0, 59}, {0, 84}, {0, 94}, {0, 104}},
    {60, {0, 60}, {0, 85}, {0, 95}, {0, 105}},
    {61, {0, 61}, {0, 86}, {0, 96}, {0, 106}},
    {62, {0, 62}, {0, 87}, {0, 97}, {0, 107}},
    {63, {0, 63}, {0, 88}, {0, 98}, {0, 108}},
    {64, {0, 64}, {0, 89}, {0, 99}, {0, 109}},
    {65, {0, 65}, {0, 90}, {0, 100}, {0, 110}},
    {66, {0, 66}, {0, 91}, {0, 101}, {0, 111}},
    {67, {0, 67}, {0, 92}, {0, 102}, {0, 112}},
    {68, {0, 68}, {0, 93}, {0, 103}, {0, 113}},
    {87, {224, 133}, {224, 135}, {224, 137}, {224, 139}},
    {88, {224, 134}, {224, 136}, {224, 138}, {224, 140}},
}};

// The cursor keys: scan code, then the code with Ctrl and with Alt.
struct CursorKey {
  std::uint16_t scanCode;
  std::uint8_t ctrl, alt;
};
constexpr std::array<CursorKey, 10> CURSOR_KEYS = {{
    {71, 119, 151},  // Home
    {72, 141, 152},  // Up
    {73, 132, 153},  // Page Up
    {75, 115, 155},  // Left
    {77, 116, 157},  // Right
    {79, 117, 159},  // End
    {80, 145, 160},  // Down
    {81, 118, 161},  // Page Down
    {82, 146, 162},  // Insert
    {83, 147, 163},  // Delete
}};

// The separate cursor block (enhanced keys) gives prefix 224, except with Alt; the keypad
// with Num Lock off gives prefix 0, and with Alt held it composes characters instead.
bool cursorKey(std::uint16_t scanCode, bool enhanced, ExtendedKey& key) {
  for (const CursorKey& c : CURSOR_KEYS) {
    if (c.scanCode != scanCode) continue;
    const std::uint8_t prefix = enhanced ? PREFIX_CURSOR_BLOCK : PREFIX_FUNCTION;
    const auto scan = static_cast<std::uint8_t>(scanCode);
    key = {scanCode, {prefix, scan}, {prefix, scan}, {prefix, c.ctrl},
           enhanced ? Variant{PREFIX_FUNCTION, c.alt} : Variant{0, 0}};
    return true;
  }
  return false;
}

bool functionKey(std::uint16_t scanCode, ExtendedKey& key) {
  for (const ExtendedKey& f : FUNCTION_KEYS) {
    if (f.scanCode == scanCode) {
      key = f;
      return true;
    }
  }
  return false;
}
}  // namespace

KeyCodes translateKeyEvent(const KeyEvent& event) {
  KeyCodes result;
  if (!event.keyDown) return result;
  if (event.character != 0) {
    result.count = 1;
    result.codes[0] = event.character;
    return result;
  }
  const bool enhanced = (event.controlKeyState & STATE_ENHANCED_KEY) != 0;
  ExtendedKey key{};
  if (!functionKey(event.scanCode, key) && !cursorKey(event.scanCode, enhanced, key)) {
    return result;  // modifiers, lock keys and other keys without a code
  }
  // Alt wins over Ctrl, Ctrl over Shift, as the console's own reader decides.
  const std::uint32_t state = event.controlKeyState;
  const Variant& v = (state & (STATE_LEFT_ALT | STATE_RIGHT_ALT))    ? key.alt
                     : (state & (STATE_LEFT_CTRL | STATE_RIGHT_CTRL)) ? key.ctrl
                     : (state & STATE_SHIFT)                          ? key.shift
                                                                      : key.normal;
  if (v.code == 0) return result;
  result.count = 2;
  result.codes[0] = v.prefix;
  result.codes[1] = v.code;
  return result;
}

}  // namespace win32_console
