// Runs the Windows file requester once, with no display to show it on, and checks that the
// dialog accepted the structure: a size it does not know for this build's pointer width makes
// it fail with CDERR_STRUCTSIZE before any window is made.
#include <windows.h>
#include <commdlg.h>
#include <cderr.h>

#include <cstdio>
#include <cstring>

#include "host/platform/console.h"

int main() {
  char file[260] = "previous.bin";
  char title[260] = {0};
  requestFileName(file, sizeof file, title, sizeof title);
  const DWORD error = CommDlgExtendedError();
  std::printf("dialog error %lu, file buffer \"%s\"\n", error, file);
  if (error == CDERR_STRUCTSIZE) {
    std::printf("FAIL: the dialog refused the structure size\n");
    return 1;
  }
  return 0;
}
