#include "host/platform/sleep.h"

#include <chrono>
#include <thread>

namespace {
SleepHook sleepHook = nullptr;
void* sleepContext = nullptr;
}  // namespace

void setSleepHook(SleepHook hook, void* context) {
  sleepHook = hook;
  sleepContext = context;
}

void sleepMilliseconds(unsigned milliseconds) {
  if (sleepHook != nullptr) {
    sleepHook(sleepContext, milliseconds);
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
