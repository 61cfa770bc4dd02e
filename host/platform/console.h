#pragma once
// The console seam: the unechoed key reader with its two-code keys, clear screen and the
// file requester. One implementation per platform folder (posix/, win32/).
#include <cstddef>

// Blocks for one key press and returns its code; a key without a character gives a prefix
// (0 for F1-F10 and the keypad cursor keys, 224 for F11, F12 and the cursor block) and then
// its scan code on the next call. Returns -1 when the console input cannot be read.
int readKeyCode();

// Blanks the first 60 rows of 80 columns and puts the cursor at the top-left corner.
void clearScreen();

// Lets the operator choose a file; `buffer` (capacity `capacity`, at most 259 characters and
// the terminator) holds the previous choice on entry and the new one on return. `title`
// receives the chosen file's name without its folder. The result of the dialog is not
// reported: whatever the buffer holds afterwards is the choice.
void requestFileName(char* buffer, std::size_t capacity, char* title, std::size_t titleCapacity);
