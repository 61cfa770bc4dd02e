// The EZ-USB backend on Windows: the OS-call table bound to the real functions.
#include <windows.h>

#include <type_traits>

#include "host/drivers/driver_select.h"
#include "host/drivers/ezusb/ezusb_device.h"

namespace {
static_assert(std::is_same_v<ezusb::Dword, DWORD>);
static_assert(std::is_same_v<ezusb::Bool, BOOL>);
static_assert(ezusb::ACCESS_GENERIC_WRITE == GENERIC_WRITE);
static_assert(ezusb::SHARE_WRITE == FILE_SHARE_WRITE);
static_assert(ezusb::DISPOSITION_OPEN_EXISTING == OPEN_EXISTING);

ezusb::Handle createFile(const char* fileName, DWORD access, DWORD share, void* security,
                         DWORD disposition, DWORD flags, ezusb::Handle templateFile) {
  return CreateFileA(fileName, access, share, static_cast<LPSECURITY_ATTRIBUTES>(security),
                     disposition, flags, templateFile);
}

BOOL ioControl(ezusb::Handle device, DWORD code, void* in, DWORD inSize, void* out,
               DWORD outSize, DWORD* returned, void* overlapped) {
  return DeviceIoControl(device, code, in, inSize, out, outSize, returned,
                         static_cast<LPOVERLAPPED>(overlapped));
}

DWORD lastError() { return GetLastError(); }

const ezusb::OsCalls windowsCalls{createFile, ioControl, lastError};
}  // namespace

std::unique_ptr<DriverDevice> openEzusbInstance(int instance, std::string& error) {
  return ezusb::openDevice(windowsCalls, instance, error);
}
