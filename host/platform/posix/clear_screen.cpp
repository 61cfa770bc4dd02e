#include <cstdio>

#include "host/platform/console.h"

// Home and erase the display; flushed so that it neither lags behind nor overtakes the text
// printed around it.
void clearScreen() {
  std::fflush(stdout);
  std::fputs("\x1b[H\x1b[2J", stdout);
  std::fflush(stdout);
}
