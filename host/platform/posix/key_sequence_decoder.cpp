#include "host/platform/posix/key_sequence_decoder.h"

namespace {

constexpr int kEscape = 27;

// Modifier bits as the terminal reports them (parameter value minus 1).
constexpr int kShift = 1;
constexpr int kAlt = 2;
constexpr int kCtrl = 4;

enum class Modifier { None, Shift, Ctrl, Alt };

Modifier modifierOf(int parameter) {
  const int bits = parameter > 1 ? parameter - 1 : 0;
  if (bits & kAlt) return Modifier::Alt;  // the console has one code per key and modifier;
  if (bits & kCtrl) return Modifier::Ctrl;  // with several held, the strongest one wins
  if (bits & kShift) return Modifier::Shift;
  return Modifier::None;
}

// A key of the cursor block with its console codes: plain (also with Shift), Ctrl, Alt.
// Plain and Ctrl come after the prefix 224, Alt after the prefix 0.
struct CursorKey {
  int plain, ctrl, alt;
};
constexpr CursorKey kUp{72, 141, 152}, kDown{80, 145, 160}, kLeft{75, 115, 155},
    kRight{77, 116, 157}, kHome{71, 119, 151}, kEnd{79, 117, 159}, kPageUp{73, 132, 153},
    kPageDown{81, 118, 161}, kInsert{82, 146, 162}, kDelete{83, 147, 163};

void emitCursorKey(const CursorKey& key, Modifier modifier, std::deque<int>& codes) {
  switch (modifier) {
    case Modifier::Ctrl: codes.insert(codes.end(), {224, key.ctrl}); break;
    case Modifier::Alt: codes.insert(codes.end(), {0, key.alt}); break;
    default: codes.insert(codes.end(), {224, key.plain}); break;
  }
}

// Function key n (1 to 12) with its console codes.
void emitFunctionKey(int n, Modifier modifier, std::deque<int>& codes) {
  if (n <= 10) {
    const int base = modifier == Modifier::Shift ? 84
                     : modifier == Modifier::Ctrl ? 94
                     : modifier == Modifier::Alt  ? 104
                                                  : 59;
    codes.insert(codes.end(), {0, base + n - 1});
    return;
  }
  const int base = modifier == Modifier::Shift ? 135
                   : modifier == Modifier::Ctrl ? 137
                   : modifier == Modifier::Alt  ? 139
                                                : 133;
  codes.insert(codes.end(), {224, base + n - 11});
}

// Scan codes of the letter keys on the standard layout, for Alt with a letter (0, scan code).
constexpr int kLetterScanCodes[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                      49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};

// The keys whose sequence ends in a letter, alike after ESC [ and ESC O.
void emitLetterKey(unsigned char final, Modifier modifier, std::deque<int>& codes) {
  switch (final) {
    case 'A': emitCursorKey(kUp, modifier, codes); return;
    case 'B': emitCursorKey(kDown, modifier, codes); return;
    case 'C': emitCursorKey(kRight, modifier, codes); return;
    case 'D': emitCursorKey(kLeft, modifier, codes); return;
    case 'H': emitCursorKey(kHome, modifier, codes); return;
    case 'F': emitCursorKey(kEnd, modifier, codes); return;
    case 'P': case 'Q': case 'R': case 'S':
      emitFunctionKey(final - 'P' + 1, modifier, codes); return;
    case 'Z': codes.insert(codes.end(), {0, 15}); return;  // Shift+Tab
    default: return;  // a key the console does not have: swallowed
  }
}

}  // namespace

int KeySequenceDecoder::parameter(std::size_t index, int fallback) const {
  if (index >= parameterCount_ || parameters_[index] == 0) return fallback;
  return parameters_[index];
}

void KeySequenceDecoder::ground(unsigned char byte, std::deque<int>& codes) {
  switch (byte) {
    case kEscape: state_ = State::Escape; return;
    case 0: codes.insert(codes.end(), {0, 3}); return;  // Ctrl+@ is a two-code key there
    case 127: codes.push_back(8); return;  // terminals send DEL for Backspace
    default: codes.push_back(byte); return;
  }
}

void KeySequenceDecoder::altKey(unsigned char byte, std::deque<int>& codes) {
  if (byte >= 'a' && byte <= 'z') {
    codes.insert(codes.end(), {0, kLetterScanCodes[byte - 'a']});
  } else if (byte >= 'A' && byte <= 'Z') {
    codes.insert(codes.end(), {0, kLetterScanCodes[byte - 'A']});
  } else if (byte >= '1' && byte <= '9') {
    codes.insert(codes.end(), {0, 120 + byte - '1'});
  } else if (byte == '0') {
    codes.insert(codes.end(), {0, 129});
  } else {
    // Not an Alt combination the console has: the ESC was a key of its own.
    codes.push_back(kEscape);
    ground(byte, codes);
  }
}

void KeySequenceDecoder::feed(unsigned char byte, std::deque<int>& codes) {
  switch (state_) {
    case State::Ground: ground(byte, codes); return;

    case State::Escape:
      state_ = State::Ground;
      parameterCount_ = 0;
      parameterStarted_ = false;
      privateMarker_ = false;
      if (byte == '[') {
        state_ = State::Csi;
      } else if (byte == 'O') {
        state_ = State::Ss3;
      } else if (byte == kEscape) {
        codes.push_back(kEscape);
        state_ = State::Escape;
      } else {
        altKey(byte, codes);
      }
      return;

    case State::CsiLinuxFunction:
      // The Linux console's F1 to F5: ESC [ [ A to ESC [ [ E.
      state_ = State::Ground;
      if (byte >= 'A' && byte <= 'E') emitFunctionKey(byte - 'A' + 1, Modifier::None, codes);
      return;

    case State::Csi:
    case State::Ss3:
      if (byte < 0x20 || byte > 0x7E) {
        // A control byte cuts the sequence off; the byte itself is a key.
        state_ = State::Ground;
        ground(byte, codes);
        return;
      }
      if (state_ == State::Csi && byte == '[' && parameterCount_ == 0 && !parameterStarted_) {
        state_ = State::CsiLinuxFunction;
        return;
      }
      if (byte >= '0' && byte <= '9') {
        if (!parameterStarted_) {
          if (parameterCount_ < maxParameters) parameters_[parameterCount_++] = 0;
          parameterStarted_ = true;
        }
        int& value = parameters_[parameterCount_ - 1];
        if (value < 10000) value = value * 10 + (byte - '0');
        return;
      }
      if (byte == ';') {
        if (!parameterStarted_ && parameterCount_ < maxParameters) {
          parameters_[parameterCount_++] = 0;
        }
        parameterStarted_ = false;
        return;
      }
      if (byte < 0x40) {  // private markers and intermediates: a report, not a key
        privateMarker_ = true;
        return;
      }
      {
        const State finished = state_;
        state_ = State::Ground;
        if (privateMarker_) return;
        if (finished == State::Csi) {
          finishCsi(byte, codes);
        } else {
          finishSs3(byte, codes);
        }
      }
      return;
  }
}

void KeySequenceDecoder::finishCsi(unsigned char final, std::deque<int>& codes) {
  if (final == '~') {
    const Modifier modifier = modifierOf(parameter(1, 1));
    switch (parameter(0, 0)) {
      case 1: case 7: emitCursorKey(kHome, modifier, codes); return;
      case 2: emitCursorKey(kInsert, modifier, codes); return;
      case 3: emitCursorKey(kDelete, modifier, codes); return;
      case 4: case 8: emitCursorKey(kEnd, modifier, codes); return;
      case 5: emitCursorKey(kPageUp, modifier, codes); return;
      case 6: emitCursorKey(kPageDown, modifier, codes); return;
      case 11: case 12: case 13: case 14: case 15:
        emitFunctionKey(parameter(0, 0) - 10, modifier, codes); return;
      case 17: case 18: case 19: case 20: case 21:
        emitFunctionKey(parameter(0, 0) - 11, modifier, codes); return;
      case 23: case 24:
        emitFunctionKey(parameter(0, 0) - 12, modifier, codes); return;
      default: return;  // a key the console does not have: swallowed
    }
  }
  // ESC [ 1 ; m X: the modifier is the second parameter.
  emitLetterKey(final, modifierOf(parameter(1, 1)), codes);
}

void KeySequenceDecoder::finishSs3(unsigned char final, std::deque<int>& codes) {
  // The keypad in application mode sends its characters this way.
  if (final == 'M') {
    codes.push_back(13);
    return;
  }
  if (final >= 'j' && final <= 'y') {
    codes.push_back("*+,-./0123456789"[final - 'j']);
    return;
  }
  // Modified forms: ESC O 1 ; m P, or ESC O m P.
  const int modifier = parameterCount_ >= 2 ? parameter(1, 1) : parameter(0, 1);
  emitLetterKey(final, modifierOf(modifier), codes);
}

void KeySequenceDecoder::expire(std::deque<int>& codes) {
  if (state_ == State::Escape) codes.push_back(kEscape);
  state_ = State::Ground;
}
