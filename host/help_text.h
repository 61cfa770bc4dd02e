#pragma once
// The help screen's twelve lines, each ended by "\r\n".
extern const char helpText[];

struct ToolState;
// Clears the screen, shows the help text and waits for one key code.
void showHelp(ToolState& state);
