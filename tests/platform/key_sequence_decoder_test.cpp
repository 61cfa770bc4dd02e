#include "host/platform/posix/key_sequence_decoder.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace {

// Feeds `bytes` as one burst, then lets the escape time-out pass when `thenQuiet` is set.
std::vector<int> decode(const std::string& bytes, bool thenQuiet = true) {
  KeySequenceDecoder decoder;
  std::deque<int> codes;
  for (unsigned char byte : bytes) decoder.feed(byte, codes);
  if (thenQuiet) decoder.expire(codes);
  return {codes.begin(), codes.end()};
}

struct Case {
  const char* what;
  std::string bytes;
  std::vector<int> codes;
};

class DecodesKey : public testing::TestWithParam<Case> {};

TEST_P(DecodesKey, ToConsoleCodes) {
  EXPECT_EQ(decode(GetParam().bytes), GetParam().codes) << GetParam().what;
}

const Case kCases[] = {
    {"letters and digits as typed", "aZ3", {'a', 'Z', '3'}},
    {"Ctrl+C with signals off", "\x03", {3}},
    {"Enter", "\r", {13}},
    {"Backspace sends DEL", "\x7f", {8}},
    {"Ctrl+@ is two codes", std::string(1, '\0'), {0, 3}},
    {"lone ESC after the time-out", "\x1b", {27}},
    {"two ESCs", "\x1b\x1b", {27, 27}},
    {"high bytes pass through", "\xe4", {0xE4}},
    // Cursor block, both the normal and the application form.
    {"up", "\x1b[A", {224, 72}},
    {"down", "\x1b[B", {224, 80}},
    {"right", "\x1b[C", {224, 77}},
    {"left", "\x1b[D", {224, 75}},
    {"up, application mode", "\x1bOA", {224, 72}},
    {"left, application mode", "\x1bOD", {224, 75}},
    {"home", "\x1b[H", {224, 71}},
    {"end", "\x1bOF", {224, 79}},
    {"home, vt220", "\x1b[1~", {224, 71}},
    {"home, rxvt", "\x1b[7~", {224, 71}},
    {"end, vt220", "\x1b[4~", {224, 79}},
    {"insert", "\x1b[2~", {224, 82}},
    {"delete", "\x1b[3~", {224, 83}},
    {"page up", "\x1b[5~", {224, 73}},
    {"page down", "\x1b[6~", {224, 81}},
    // Function keys in the xterm, vt100, rxvt and Linux console forms.
    {"F1 vt100", "\x1bOP", {0, 59}},
    {"F4 vt100", "\x1bOS", {0, 62}},
    {"F1 rxvt", "\x1b[11~", {0, 59}},
    {"F1 linux", "\x1b[[A", {0, 59}},
    {"F5 linux", "\x1b[[E", {0, 63}},
    {"F5", "\x1b[15~", {0, 63}},
    {"F6", "\x1b[17~", {0, 64}},
    {"F10", "\x1b[21~", {0, 68}},
    {"F11", "\x1b[23~", {224, 133}},
    {"F12", "\x1b[24~", {224, 134}},
    // Modifiers: Shift keeps the cursor codes, Ctrl and Alt have their own.
    {"Shift+up", "\x1b[1;2A", {224, 72}},
    {"Ctrl+left", "\x1b[1;5D", {224, 115}},
    {"Ctrl+right", "\x1b[1;5C", {224, 116}},
    {"Alt+up", "\x1b[1;3A", {0, 152}},
    {"Ctrl+page up", "\x1b[5;5~", {224, 132}},
    {"Ctrl+Alt picks Alt", "\x1b[1;7B", {0, 160}},
    {"Shift+F1", "\x1b[1;2P", {0, 84}},
    {"Shift+F1, SS3 form", "\x1bO2P", {0, 84}},
    {"Ctrl+F5", "\x1b[15;5~", {0, 98}},
    {"Alt+F10", "\x1b[21;3~", {0, 113}},
    {"Shift+F12", "\x1b[24;2~", {224, 136}},
    {"Ctrl+F11", "\x1b[23;5~", {224, 137}},
    {"Shift+Tab", "\x1b[Z", {0, 15}},
    {"Alt+letter", "\x1b" "d", {0, 32}},
    {"Alt+digit", "\x1b" "1", {0, 120}},
    {"Alt+0", "\x1b" "0", {0, 129}},
    {"ESC then a non-Alt key", "\x1b ", {27, ' '}},
    {"keypad Enter, application mode", "\x1bOM", {13}},
    {"keypad digit, application mode", "\x1bOq", {'1'}},
    // What the console has no key for is swallowed whole, never leaked as letters.
    {"unknown tilde key", "\x1b[99~", {}},
    {"unknown final", "\x1b[1;5Y", {}},
    {"private report", "\x1b[?1;2c", {}},
    {"unknown, then a key", "\x1b[200~x", {'x'}},
    {"cut-off sequence", "\x1b[1;", {}},
    {"control byte ends a sequence", "\x1b[1\r", {13}},
    {"overlong parameters", "\x1b[1;2;3;4;5;6;7A", {224, 72}},
    {"two keys in one burst", "\x1b[A\x1bOP", {224, 72, 0, 59}},
};

INSTANTIATE_TEST_SUITE_P(Table, DecodesKey, testing::ValuesIn(kCases));

TEST(KeySequenceDecoder, WaitsForTheTimeOutBeforeTakingEscAlone) {
  KeySequenceDecoder decoder;
  std::deque<int> codes;
  decoder.feed(27, codes);
  EXPECT_TRUE(codes.empty());
  EXPECT_TRUE(decoder.midSequence());
  decoder.feed('[', codes);
  decoder.feed('B', codes);
  EXPECT_EQ(std::vector<int>(codes.begin(), codes.end()), (std::vector<int>{224, 80}));
  EXPECT_FALSE(decoder.midSequence());
}

TEST(KeySequenceDecoder, StartsAfreshAfterACutOffSequence) {
  KeySequenceDecoder decoder;
  std::deque<int> codes;
  for (unsigned char byte : std::string("\x1b[1;5")) decoder.feed(byte, codes);
  decoder.expire(codes);
  for (unsigned char byte : std::string("A\x1b[D")) decoder.feed(byte, codes);
  EXPECT_EQ(std::vector<int>(codes.begin(), codes.end()), (std::vector<int>{'A', 224, 75}));
}

}  // namespace
