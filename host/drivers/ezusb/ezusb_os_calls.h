#pragma once
// The two Windows calls the EZ-USB backend makes, behind a table of function pointers so that
// the backend's logic builds and is tested anywhere. The types follow the Windows signatures
// (HANDLE, DWORD, BOOL, LPVOID) under names of our own, so this header needs no windows.h; on
// Windows the table points at thin forwarders to CreateFileA and DeviceIoControl.
#include <cstdint>

namespace ezusb {

using Handle = void*;
using Dword = unsigned long;  // DWORD: 32 bits on Windows
using Bool = int;             // BOOL: nonzero is success

// The Windows values of the few constants the backend passes.
inline constexpr Dword ACCESS_GENERIC_WRITE = 0x40000000;
inline constexpr Dword SHARE_WRITE = 0x00000002;
inline constexpr Dword DISPOSITION_OPEN_EXISTING = 3;

inline Handle invalidHandle() { return reinterpret_cast<Handle>(static_cast<std::intptr_t>(-1)); }

struct OsCalls {
  Handle (*createFileA)(const char* fileName, Dword desiredAccess, Dword shareMode,
                        void* securityAttributes, Dword creationDisposition,
                        Dword flagsAndAttributes, Handle templateFile);
  Bool (*deviceIoControl)(Handle device, Dword ioControlCode, void* inBuffer, Dword inBufferSize,
                          void* outBuffer, Dword outBufferSize, Dword* bytesReturned,
                          void* overlapped);
  // Only for the text of a failure message; may be null.
  Dword (*getLastError)();
};

}  // namespace ezusb
