#include "host/drivers/libusb/libusb_device.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <utility>

#include "host/drivers/libusb/libusb_endpoints.h"
#include "host/drivers/libusb/libusb_timeouts.h"

namespace {
// Request type of a vendor request, host to device, addressed to the device.
constexpr std::uint8_t VENDOR_OUT = 0x40;
constexpr std::uint8_t FIRMWARE_LOAD_REQUEST = 0xA0;

std::string hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}
}  // namespace

LibusbDevice::LibusbDevice(libusb_context* context, libusb_device_handle* handle)
    : context_(context), handle_(handle) {}

LibusbDevice::~LibusbDevice() {
  if (claimedInterface_ >= 0) libusb_release_interface(handle_, claimedInterface_);
  libusb_close(handle_);
  libusb_exit(context_);
}

bool LibusbDevice::fail(std::string message) {
  lastError_ = "libusb: " + std::move(message);
  return false;
}

bool LibusbDevice::controlOut(std::uint8_t request, std::uint16_t value, std::uint16_t index,
                              std::uint8_t* data, std::uint16_t length) {
  const int result = libusb_control_transfer(handle_, VENDOR_OUT, request, value, index, data,
                                             length, CONTROL_TIMEOUT_MS);
  const std::string what = "vendor request " + hex(request, 2) + " at " + hex(value, 4);
  if (result < 0) return fail(what + " failed: " + libusb_strerror(result));
  if (result != length) {
    return fail(what + " took " + std::to_string(result) + " of " + std::to_string(length) +
                " bytes");
  }
  return true;
}

bool LibusbDevice::vendorRequest(const VendorRequestRecord& record) {
  // The record carries at most one data byte, and the bridge only ever sends to the device.
  if (record.direction != 0) return fail("device-to-host vendor requests are not supported");
  if (record.length > 1) {
    return fail("a vendor request record carries one data byte, not " +
                std::to_string(record.length));
  }
  std::uint8_t data = record.data;
  return controlOut(record.request, record.value, record.index, &data, record.length);
}

bool LibusbDevice::selectInterface(std::uint8_t interfaceNumber, std::uint8_t alternateSetting) {
  if (claimedInterface_ != interfaceNumber) {
    if (claimedInterface_ >= 0) {
      libusb_release_interface(handle_, claimedInterface_);
      claimedInterface_ = -1;
    }
    // A kernel driver bound to the interface is detached on claim and given back on release.
    // Platforms without kernel drivers to detach say "not supported", which is harmless.
    libusb_set_auto_detach_kernel_driver(handle_, 1);
    const int claimed = libusb_claim_interface(handle_, interfaceNumber);
    if (claimed != 0) {
      std::string message = "cannot claim interface " + std::to_string(interfaceNumber) + ": " +
                            libusb_strerror(claimed);
      if (claimed == LIBUSB_ERROR_BUSY) message += " (another program is using the bridge)";
      return fail(std::move(message));
    }
    claimedInterface_ = interfaceNumber;
  }
  const int selected = libusb_set_interface_alt_setting(handle_, interfaceNumber, alternateSetting);
  if (selected != 0) {
    return fail("cannot select alternate setting " + std::to_string(alternateSetting) +
                " of interface " + std::to_string(interfaceNumber) + ": " +
                libusb_strerror(selected));
  }
  return true;
}

bool LibusbDevice::bulk(std::uint32_t pipe, bool in, std::uint8_t* data, std::uint32_t count) {
  const auto endpoint = endpointForPipe(pipe);
  const char* verb = in ? "bulk read" : "bulk write";
  if (!endpoint) return fail(std::string(verb) + ": no endpoint for pipe " + std::to_string(pipe));
  if (((*endpoint & ENDPOINT_DIRECTION_IN) != 0) != in) {
    return fail(std::string(verb) + ": pipe " + std::to_string(pipe) + " (endpoint " +
                hex(*endpoint, 2) + ") runs the other way");
  }
  if (count > INT_MAX) return fail(std::string(verb) + ": too many bytes for one transfer");
  if (count == 0) return true;

  int transferred = 0;
  const int result = libusb_bulk_transfer(handle_, *endpoint, data, static_cast<int>(count),
                                          &transferred, BULK_TIMEOUT_MS);
  const std::string what = std::string(verb) + " of " + std::to_string(count) + " bytes " +
                           (in ? "from" : "to") + " endpoint " + hex(*endpoint, 2);
  if (result != 0) {
    return fail(what + " failed after " + std::to_string(transferred) + " bytes: " +
                libusb_strerror(result));
  }
  if (static_cast<std::uint32_t>(transferred) != count) {
    return fail(what + " ended short, after " + std::to_string(transferred) + " bytes");
  }
  return true;
}

bool LibusbDevice::bulkWrite(std::uint32_t pipe, const std::uint8_t* source,
                             std::uint32_t count) {
  // libusb takes one buffer type for both directions; it only reads an OUT transfer's bytes.
  return bulk(pipe, false, const_cast<std::uint8_t*>(source), count);
}

bool LibusbDevice::bulkRead(std::uint32_t pipe, std::uint8_t* destination, std::uint32_t count) {
  return bulk(pipe, true, destination, count);
}

bool LibusbDevice::anchorDownload(std::uint16_t address, const std::uint8_t* source,
                                  std::uint32_t count) {
  if (std::uint32_t{address} + count > 0x10000) {
    return fail("RAM download of " + std::to_string(count) + " bytes at " + hex(address, 4) +
                " runs past the end of the address space");
  }
  // Request 0xA0 writes its data stage at the address given as its value; long runs go in
  // chunks so that no single control transfer gets large.
  for (std::uint32_t done = 0; done < count;) {
    const std::uint32_t chunk = std::min<std::uint32_t>(count - done, DOWNLOAD_CHUNK_SIZE);
    if (!controlOut(FIRMWARE_LOAD_REQUEST, static_cast<std::uint16_t>(address + done), 0,
                    const_cast<std::uint8_t*>(source + done), static_cast<std::uint16_t>(chunk))) {
      return false;
    }
    done += chunk;
  }
  return true;
}
