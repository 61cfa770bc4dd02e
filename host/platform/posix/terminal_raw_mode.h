#pragma once
// Puts a terminal into unechoed single-key input for the lifetime of the object and gives it
// back its previous modes afterwards, also when a signal ends or stops the process meanwhile.

class TerminalRawMode {
 public:
  explicit TerminalRawMode(int fd);
  ~TerminalRawMode();
  TerminalRawMode(const TerminalRawMode&) = delete;
  TerminalRawMode& operator=(const TerminalRawMode&) = delete;

  bool active() const { return active_; }

 private:
  int fd_;
  bool active_ = false;
};
