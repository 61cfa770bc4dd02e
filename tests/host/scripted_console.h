#pragma once
// A console with a scripted key source and captured output. When the script runs out the
// reader returns -1, as a console whose input is gone does. Each clear writes a '\f' into
// the output, so a test can take the screen drawn after the last clear.
#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "host/tool_console.h"

class ScriptedConsole {
 public:
  ScriptedConsole();
  ~ScriptedConsole();
  ScriptedConsole(const ScriptedConsole&) = delete;
  ScriptedConsole& operator=(const ScriptedConsole&) = delete;

  ToolConsole console();

  std::deque<int> keys;
  std::vector<std::string> requesterAnswers;  // one per requester call; absent = cancel
  std::vector<std::string> requesterSawOnEntry;
  int clears = 0;
  int keyReads = 0;

  std::string output();  // everything printed to standard output so far
  std::string errors();  // everything printed to standard error
  // The lines of the last screen: the text after the last clear, split at '\n'.
  std::vector<std::string> screenLines();

 private:
  char* outText_ = nullptr;
  std::size_t outSize_ = 0;
  char* errText_ = nullptr;
  std::size_t errSize_ = 0;
  std::FILE* out_ = nullptr;
  std::FILE* err_ = nullptr;
};
