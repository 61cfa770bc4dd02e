#pragma once
// The USB driver seam: one opened instance of a bridge, whatever carries it (the EZ-USB
// driver on Windows, libusb on Linux and macOS, the in-process simulated bridge). The driver
// channel (host/link) makes exactly one call here per operation; each returns the success
// flag, and a failure leaves a message in lastError() for the workflows to show.
#include <cstdint>
#include <memory>
#include <string>

#include "host/link/vendor_request_record.h"

class DriverDevice {
 public:
  virtual ~DriverDevice() = default;

  virtual bool vendorRequest(const VendorRequestRecord& record) = 0;
  virtual bool selectInterface(std::uint8_t interfaceNumber, std::uint8_t alternateSetting) = 0;
  // Pipe indices as the EZ-USB driver numbers them under interface 0, alternate setting 1:
  // 2 = endpoint 2 OUT, 3 = endpoint 4 OUT, 5 = endpoint 8 IN.
  virtual bool bulkWrite(std::uint32_t pipe, const std::uint8_t* source, std::uint32_t count) = 0;
  virtual bool bulkRead(std::uint32_t pipe, std::uint8_t* destination, std::uint32_t count) = 0;
  virtual bool anchorDownload(std::uint16_t address, const std::uint8_t* source,
                              std::uint32_t count) = 0;

  // The last failure's message, empty when none.
  virtual std::string lastError() const { return {}; }
};

// Opens driver instance n of whichever backend this run uses, or returns null when that
// instance does not open. `error` receives a reason worth showing (e.g. permission denied),
// left empty for a plain "not there".
using DriverOpener = std::unique_ptr<DriverDevice> (*)(int instance, std::string& error);
