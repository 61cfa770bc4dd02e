#include "host/drivers/ezusb/ezusb_device.h"

#include <array>
#include <cstdio>

#include "host/drivers/ezusb/ezusb_control_codes.h"

namespace ezusb {

namespace {
std::array<std::uint8_t, 4> littleEndian32(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}
}  // namespace

bool Device::control(const char* name, std::uint32_t code, void* input, Dword inputSize,
                     void* output, Dword outputSize) {
  Dword bytesReturned = 0;  // required by the call, never read
  const Bool ok = os_.deviceIoControl(handle_, code, input, inputSize, output, outputSize,
                                      &bytesReturned, nullptr);
  if (ok != 0) return true;
  lastError_ = std::string("EZ-USB driver: ") + name + " failed";
  if (os_.getLastError != nullptr) {
    lastError_ += " (Windows error " + std::to_string(os_.getLastError()) + ")";
  }
  return false;
}

bool Device::vendorRequest(const VendorRequestRecord& record) {
  auto input = record.bytes();
  return control("IOCTL_VENDOR_REQUEST", IOCTL_VENDOR_REQUEST, input.data(), input.size(),
                 nullptr, 0);
}

bool Device::selectInterface(std::uint8_t interfaceNumber, std::uint8_t alternateSetting) {
  std::array<std::uint8_t, 2> input = {interfaceNumber, alternateSetting};
  return control("IOCTL_SET_INTERFACE", IOCTL_SET_INTERFACE, input.data(), input.size(), nullptr,
                 0);
}

// In both bulk calls the input is the pipe index alone; the data travel in the output buffer,
// whose size is the byte count.
bool Device::bulkWrite(std::uint32_t pipe, const std::uint8_t* source, std::uint32_t count) {
  auto input = littleEndian32(pipe);
  return control("IOCTL_BULK_WRITE", IOCTL_BULK_WRITE, input.data(), input.size(),
                 const_cast<std::uint8_t*>(source), count);
}

bool Device::bulkRead(std::uint32_t pipe, std::uint8_t* destination, std::uint32_t count) {
  auto input = littleEndian32(pipe);
  return control("IOCTL_BULK_READ", IOCTL_BULK_READ, input.data(), input.size(), destination,
                 count);
}

bool Device::anchorDownload(std::uint16_t address, const std::uint8_t* source,
                            std::uint32_t count) {
  std::array<std::uint8_t, 2> input = {static_cast<std::uint8_t>(address),
                                       static_cast<std::uint8_t>(address >> 8)};
  return control("IOCTL_ANCHOR_DOWNLOAD", IOCTL_ANCHOR_DOWNLOAD, input.data(), input.size(),
                 const_cast<std::uint8_t*>(source), count);
}

std::unique_ptr<DriverDevice> openDevice(const OsCalls& os, int instance, std::string& error) {
  error.clear();
  if (instance < 0 || instance >= INSTANCE_COUNT) return nullptr;
  char path[32];
  std::snprintf(path, sizeof path, "\\\\.\\ezusb-%d", instance);
  const Handle handle = os.createFileA(path, ACCESS_GENERIC_WRITE, SHARE_WRITE, nullptr,
                                       DISPOSITION_OPEN_EXISTING, 0, nullptr);
  if (handle == invalidHandle()) return nullptr;
  return std::make_unique<Device>(os, handle);
}

}  // namespace ezusb
