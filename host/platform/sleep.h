#pragma once
// Millisecond sleep. With the simulated bridge the time passes on the simulated clock
// instead: the virtual backend installs a hook, and the sleep then goes to it alone.

using SleepHook = void (*)(void* context, unsigned milliseconds);

void sleepMilliseconds(unsigned milliseconds);
void setSleepHook(SleepHook hook, void* context);
