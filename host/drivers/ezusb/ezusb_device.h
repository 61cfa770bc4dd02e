#pragma once
// One device object of the EZ-USB general-purpose driver (\\.\ezusb-0 to \\.\ezusb-5). Every
// operation is exactly one synchronous DeviceIoControl with the driver's own buffers; the
// handle stays open for the life of the process, as the driver expects of its one client.
#include <cstdint>
#include <memory>
#include <string>

#include "host/drivers/driver_device.h"
#include "host/drivers/ezusb/ezusb_os_calls.h"

namespace ezusb {

inline constexpr int INSTANCE_COUNT = 6;

class Device final : public DriverDevice {
 public:
  Device(const OsCalls& os, Handle handle) : os_(os), handle_(handle) {}

  bool vendorRequest(const VendorRequestRecord& record) override;
  bool selectInterface(std::uint8_t interfaceNumber, std::uint8_t alternateSetting) override;
  bool bulkWrite(std::uint32_t pipe, const std::uint8_t* source, std::uint32_t count) override;
  bool bulkRead(std::uint32_t pipe, std::uint8_t* destination, std::uint32_t count) override;
  bool anchorDownload(std::uint16_t address, const std::uint8_t* source,
                      std::uint32_t count) override;
  std::string lastError() const override { return lastError_; }

 private:
  bool control(const char* name, std::uint32_t code, void* input, Dword inputSize, void* output,
               Dword outputSize);

  OsCalls os_;
  Handle handle_;
  std::string lastError_;
};

// Opens device object `instance` (0 to 5) with one CreateFileA; null when it does not open.
// Why an open failed is not examined: a missing object is the normal "no bridge here".
std::unique_ptr<DriverDevice> openDevice(const OsCalls& os, int instance, std::string& error);

}  // namespace ezusb
