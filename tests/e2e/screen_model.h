#pragma once
// What a terminal shows after the tool's output: a grid of characters with a cursor. Knows
// the control codes the tool and its line editor send: printable characters, CR, LF, BS,
// TAB, and the CSI sequences for cursor placement and erasing; others are consumed unseen.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class ScreenModel {
 public:
  ScreenModel(int rows, int columns);

  void apply(std::string_view output);

  // Row `row` without its trailing blanks.
  std::string row(int row) const;
  // Every row, trailing blanks and trailing empty rows removed, joined by '\n'.
  std::string text() const;
  bool blank() const;
  int clears() const { return clears_; }
  int cursorRow() const { return cursorRow_; }
  int rows() const { return rows_; }

 private:
  void put(char c);
  void lineFeed();
  void csi(char final);
  int parameter(std::size_t index, int fallback) const;

  int rows_, columns_;
  std::vector<std::string> cells_;
  int cursorRow_ = 0, cursorColumn_ = 0;
  bool wrapPending_ = false;
  int clears_ = 0;

  enum class State { Ground, Escape, Csi, EscapeIntermediate } state_ = State::Ground;
  std::string parameters_;
};
