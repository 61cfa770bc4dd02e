// Console key events to the key reader's codes, for the keys the tool uses and the ones it
// must tell apart from them.
#include <gtest/gtest.h>

#include <vector>

#include "host/platform/win32/console_key_translation.h"

namespace {
using namespace win32_console;

constexpr std::uint32_t ENH = STATE_ENHANCED_KEY;

struct Case {
  const char* key;
  KeyEvent event;
  std::vector<int> codes;
};

KeyEvent press(std::uint16_t scan, std::uint8_t character, std::uint32_t state = 0) {
  return {true, scan, character, state};
}

const Case CASES[] = {
    {"a", press(30, 'a'), {97}},
    {"Shift+A", press(30, 'A', STATE_SHIFT), {65}},
    {"release of a", {false, 30, 'a', 0}, {}},
    {"ESC", press(1, 27), {27}},
    {"space", press(57, ' '), {32}},
    {"Ctrl+C", press(46, 3, STATE_LEFT_CTRL), {3}},
    {"character 0xE0 is one code", press(40, 0xE0), {224}},
    {"keypad Enter", press(28, 13, ENH), {13}},
    {"F1", press(59, 0), {0, 59}},
    {"F5", press(63, 0), {0, 63}},
    {"F10", press(68, 0), {0, 68}},
    {"F11", press(87, 0), {224, 133}},
    {"F12", press(88, 0), {224, 134}},
    {"Shift+F1", press(59, 0, STATE_SHIFT), {0, 84}},
    {"Ctrl+F5", press(63, 0, STATE_RIGHT_CTRL), {0, 98}},
    {"Alt+F12", press(88, 0, STATE_LEFT_ALT), {224, 140}},
    {"release of F1", {false, 59, 0, 0}, {}},
    {"cursor block up", press(72, 0, ENH), {224, 72}},
    {"cursor block left", press(75, 0, ENH), {224, 75}},
    {"cursor block right", press(77, 0, ENH), {224, 77}},
    {"cursor block down", press(80, 0, ENH), {224, 80}},
    {"cursor block Delete", press(83, 0, ENH), {224, 83}},
    {"keypad up, Num Lock off", press(72, 0), {0, 72}},
    {"keypad left, Num Lock off", press(75, 0), {0, 75}},
    {"Shift+down", press(80, 0, ENH | STATE_SHIFT), {224, 80}},
    {"Ctrl+up", press(72, 0, ENH | STATE_LEFT_CTRL), {224, 141}},
    {"Ctrl+keypad up", press(72, 0, STATE_LEFT_CTRL), {0, 141}},
    {"Alt+up", press(72, 0, ENH | STATE_RIGHT_ALT), {0, 152}},
    {"Alt wins over Ctrl", press(80, 0, ENH | STATE_LEFT_ALT | STATE_LEFT_CTRL), {0, 160}},
    {"Alt+keypad composes, gives nothing", press(72, 0, STATE_LEFT_ALT), {}},
    {"Shift alone", press(42, 0, STATE_SHIFT), {}},
    {"Ctrl alone", press(29, 0, STATE_LEFT_CTRL), {}},
    {"Caps Lock", press(58, 0), {}},
};

TEST(ConsoleKeyTranslation, EventsGiveTheReaderCodes) {
  for (const Case& c : CASES) {
    const KeyCodes got = translateKeyEvent(c.event);
    EXPECT_EQ(std::vector<int>(got.codes, got.codes + got.count), c.codes) << c.key;
  }
}

}  // namespace
