// The file requester on Windows: the common open-file dialog, set up afresh for every call.
#include <windows.h>
#include <commdlg.h>

#include <cstring>

#include "host/platform/console.h"

// The short form of the structure (without the Windows 2000 fields at its end). 76 bytes in a
// 32-bit build; a 64-bit build's pointers make the same form longer, and the dialog refuses
// any other size, so the size comes from the structure's own layout.
static_assert(sizeof(void*) != 4 || OPENFILENAME_SIZE_VERSION_400A == 76);

void requestFileName(char* buffer, std::size_t capacity, char* title, std::size_t titleCapacity) {
  OPENFILENAMEA dialog;
  std::memset(&dialog, 0, sizeof dialog);
  dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  dialog.lpstrFilter = "All Files\0*.*;\0";  // the literal's own terminator ends the list
  dialog.lpstrFile = buffer;
  dialog.nMaxFile = static_cast<DWORD>(capacity);
  dialog.lpstrFileTitle = title;
  dialog.nMaxFileTitle = static_cast<DWORD>(titleCapacity);
  // Chosen or cancelled, the buffer's text is the answer.
  GetOpenFileNameA(&dialog);
}
