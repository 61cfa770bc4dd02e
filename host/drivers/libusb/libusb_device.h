#pragma once
// A real bridge reached through libusb-1.0 (Linux, macOS). The chip keeps its built-in
// identity, so the operations map onto it directly: request 0xA0 and the RAM download are
// vendor control transfers, interface selection claims the interface and picks the alternate
// setting, and the pipes are bulk transfers on the endpoints of that setting.
#include <libusb.h>

#include <cstdint>
#include <string>

#include "host/drivers/driver_device.h"

class LibusbDevice final : public DriverDevice {
 public:
  // Takes over the context and the open handle; both are released with the device.
  LibusbDevice(libusb_context* context, libusb_device_handle* handle);
  ~LibusbDevice() override;
  LibusbDevice(const LibusbDevice&) = delete;
  LibusbDevice& operator=(const LibusbDevice&) = delete;

  bool vendorRequest(const VendorRequestRecord& record) override;
  bool selectInterface(std::uint8_t interfaceNumber, std::uint8_t alternateSetting) override;
  bool bulkWrite(std::uint32_t pipe, const std::uint8_t* source, std::uint32_t count) override;
  bool bulkRead(std::uint32_t pipe, std::uint8_t* destination, std::uint32_t count) override;
  bool anchorDownload(std::uint16_t address, const std::uint8_t* source,
                      std::uint32_t count) override;
  std::string lastError() const override { return lastError_; }

 private:
  bool fail(std::string message);
  bool controlOut(std::uint8_t request, std::uint16_t value, std::uint16_t index,
                  std::uint8_t* data, std::uint16_t length);
  bool bulk(std::uint32_t pipe, bool in, std::uint8_t* data, std::uint32_t count);

  libusb_context* context_;
  libusb_device_handle* handle_;
  int claimedInterface_ = -1;
  std::string lastError_;
};
