#pragma once
// Turns the bytes a terminal sends into the key codes of the Windows console: characters as
// themselves, keys without a character as a prefix (0 or 224) and a scan code. Pure state
// machine over bytes and a time-out, so that the reader and its tests share it.
#include <cstddef>
#include <deque>

class KeySequenceDecoder {
 public:
  // Feeds one input byte; codes of every key it completes are appended to `codes`.
  void feed(unsigned char byte, std::deque<int>& codes);

  // No further byte came within the escape time-out: a pending ESC is the ESC key itself, a
  // cut-off sequence is dropped.
  void expire(std::deque<int>& codes);

  // True while bytes of an escape sequence are pending, so the reader must wait at most the
  // time-out for the next byte.
  bool midSequence() const { return state_ != State::Ground; }

 private:
  enum class State { Ground, Escape, Csi, CsiLinuxFunction, Ss3 };

  void finishCsi(unsigned char final, std::deque<int>& codes);
  void finishSs3(unsigned char final, std::deque<int>& codes);
  void ground(unsigned char byte, std::deque<int>& codes);
  void altKey(unsigned char byte, std::deque<int>& codes);
  int parameter(std::size_t index, int fallback) const;

  static constexpr std::size_t maxParameters = 4;
  State state_ = State::Ground;
  int parameters_[maxParameters] = {};
  std::size_t parameterCount_ = 0;
  bool parameterStarted_ = false;
  bool privateMarker_ = false;  // '<', '=', '>', '?' or an intermediate byte: not a key
};
