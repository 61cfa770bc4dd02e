#include "tests/e2e/screen_model.h"

#include <algorithm>
#include <cstdlib>

ScreenModel::ScreenModel(int rows, int columns)
    : rows_(rows), columns_(columns), cells_(rows, std::string(columns, ' ')) {}

void ScreenModel::lineFeed() {
  if (cursorRow_ + 1 < rows_) {
    ++cursorRow_;
    return;
  }
  cells_.erase(cells_.begin());
  cells_.emplace_back(columns_, ' ');
}

void ScreenModel::put(char c) {
  // Like a terminal with auto-wrap: the line breaks when a character follows the last column.
  if (wrapPending_) {
    wrapPending_ = false;
    cursorColumn_ = 0;
    lineFeed();
  }
  cells_[cursorRow_][cursorColumn_] = c;
  if (cursorColumn_ + 1 < columns_) {
    ++cursorColumn_;
  } else {
    wrapPending_ = true;
  }
}

int ScreenModel::parameter(std::size_t index, int fallback) const {
  std::size_t start = 0;
  for (std::size_t i = 0; i < index; ++i) {
    start = parameters_.find(';', start);
    if (start == std::string::npos) return fallback;
    ++start;
  }
  const int value = std::atoi(parameters_.c_str() + start);
  return value == 0 ? fallback : value;
}

void ScreenModel::csi(char final) {
  if (!parameters_.empty() && parameters_[0] == '?') return;  // modes, not drawing
  wrapPending_ = false;
  switch (final) {
    case 'H':
    case 'f':
      cursorRow_ = std::clamp(parameter(0, 1) - 1, 0, rows_ - 1);
      cursorColumn_ = std::clamp(parameter(1, 1) - 1, 0, columns_ - 1);
      break;
    case 'A': cursorRow_ = std::max(0, cursorRow_ - parameter(0, 1)); break;
    case 'B': cursorRow_ = std::min(rows_ - 1, cursorRow_ + parameter(0, 1)); break;
    case 'C': cursorColumn_ = std::min(columns_ - 1, cursorColumn_ + parameter(0, 1)); break;
    case 'D': cursorColumn_ = std::max(0, cursorColumn_ - parameter(0, 1)); break;
    case 'G': cursorColumn_ = std::clamp(parameter(0, 1) - 1, 0, columns_ - 1); break;
    case 'J': {
      const int mode = std::atoi(parameters_.c_str());
      if (mode == 2 || mode == 3) {
        for (auto& line : cells_) line.assign(columns_, ' ');
        ++clears_;
      } else if (mode == 0) {
        cells_[cursorRow_].replace(cursorColumn_, columns_ - cursorColumn_,
                                   columns_ - cursorColumn_, ' ');
        for (int r = cursorRow_ + 1; r < rows_; ++r) cells_[r].assign(columns_, ' ');
      }
      break;
    }
    case 'K': {
      const int mode = std::atoi(parameters_.c_str());
      std::string& line = cells_[cursorRow_];
      if (mode == 0) line.replace(cursorColumn_, columns_ - cursorColumn_, columns_ - cursorColumn_, ' ');
      if (mode == 1) line.replace(0, cursorColumn_ + 1, cursorColumn_ + 1, ' ');
      if (mode == 2) line.assign(columns_, ' ');
      break;
    }
    default: break;  // colours and the like do not change the text
  }
}

void ScreenModel::apply(std::string_view output) {
  for (char c : output) {
    const auto byte = static_cast<unsigned char>(c);
    switch (state_) {
      case State::Escape:
        if (c == '[') {
          state_ = State::Csi;
          parameters_.clear();
        } else if (byte >= 0x20 && byte <= 0x2F) {
          state_ = State::EscapeIntermediate;
        } else {
          state_ = State::Ground;  // ESC 7, ESC =, ESC > and the like: no text
        }
        continue;
      case State::EscapeIntermediate:
        state_ = State::Ground;
        continue;
      case State::Csi:
        if (byte >= 0x40 && byte <= 0x7E) {
          state_ = State::Ground;
          csi(c);
        } else {
          parameters_ += c;
        }
        continue;
      case State::Ground: break;
    }
    switch (c) {
      case '\x1b': state_ = State::Escape; break;
      case '\r': cursorColumn_ = 0; wrapPending_ = false; break;
      case '\n': wrapPending_ = false; lineFeed(); break;
      case '\b': if (cursorColumn_ > 0) --cursorColumn_; wrapPending_ = false; break;
      case '\t': cursorColumn_ = std::min(columns_ - 1, (cursorColumn_ / 8 + 1) * 8); break;
      case '\a': break;
      default:
        if (byte >= 0x20) put(c);
        break;
    }
  }
}

std::string ScreenModel::row(int row) const {
  if (row < 0 || row >= rows_) return {};
  const std::string& line = cells_[row];
  return line.substr(0, line.find_last_not_of(' ') + 1);
}

std::string ScreenModel::text() const {
  std::string all;
  int lastNonEmpty = -1;
  for (int r = 0; r < rows_; ++r) if (!row(r).empty()) lastNonEmpty = r;
  for (int r = 0; r <= lastNonEmpty; ++r) {
    all += row(r);
    all += '\n';
  }
  return all;
}

bool ScreenModel::blank() const { return text().empty(); }
