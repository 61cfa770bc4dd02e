// memcpy and memset between code, external and internal RAM (generic pointers).
#include <string.h>

const char source[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
__xdata char xcopy[80];
__xdata char xcopy2[80];
__data char icopy[24];

void halt(void) { while (1); }

void main(void) {
  memset(xcopy, 0x5A, sizeof xcopy);
  memcpy(xcopy + 3, source, sizeof source);
  memcpy(icopy, xcopy + 10, sizeof icopy);
  memcpy(xcopy2, icopy, sizeof icopy);
  memmove(xcopy2 + 4, xcopy2, 16);
  halt();
}
