#pragma once
// The console as the front end uses it: key codes, clear screen, the file requester and the
// output stream. The tool runs on the platform console; tests drive the same code with a
// scripted key source and captured output.
#include <cstddef>
#include <cstdio>
#include <functional>

struct ToolConsole {
  std::function<int()> readKeyCode;
  std::function<void()> clearScreen;
  std::function<void(char* buffer, std::size_t capacity, char* title, std::size_t titleCapacity)>
      requestFileName;
  std::FILE* out = stdout;
  std::FILE* err = stderr;

  // Formatted print to `out`, flushed so it is visible at once (the dots of a dump, "BUSY"
  // while the device works, and nothing overtaken by the next clear).
  void print(const char* format, ...) const
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;
};

// The console of the platform this tool was built for.
ToolConsole platformConsole();
