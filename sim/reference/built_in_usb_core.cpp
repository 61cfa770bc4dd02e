#include "sim/reference/built_in_usb_core.h"

#include <cstdio>
#include <cstring>

namespace sim {

namespace {

std::string hex(unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
}

}  // namespace

bool BuiltInUsbCore::controlOut(std::uint8_t request, std::uint16_t value,
                                const std::uint8_t* data, std::uint16_t length,
                                std::string& error) {
  if (request != FIRMWARE_LOAD) {
    error = "vendor request " + hex(request, 2) + " is not answered by this bridge";
    return false;
  }
  if (length > 0 && data == nullptr) {
    error = "request 0xA0 without its data stage";
    return false;
  }
  if (value == CPUCS) {
    // Only CPUCS itself is writable this way; a longer data stage would reach registers the
    // download has no business with.
    if (length != 1) {
      error = "request 0xA0 to CPUCS must carry exactly one byte, not " + std::to_string(length);
      return false;
    }
    cpucs_ = data[0];
    return true;
  }
  if (std::uint32_t(value) + length > RAM_SIZE) {
    error = "request 0xA0 to " + hex(value, 4) + " with " + std::to_string(length) +
            " bytes reaches outside the 16 KB RAM";
    return false;
  }
  if (!cpuHeldInReset()) {
    error = "RAM download to " + hex(value, 4) + " while the 8051 runs (CPUCS bit 0 not set)";
    return false;
  }
  if (length > 0) std::memcpy(ram_.data() + value, data, length);
  return true;
}

bool BuiltInUsbCore::setInterface(std::uint8_t interfaceNumber, std::uint8_t alternateSetting,
                                  std::string& error) {
  // The built-in configuration has one interface with alternate settings 0 to 3.
  if (interfaceNumber != 0 || alternateSetting > 3) {
    error = "no interface " + std::to_string(interfaceNumber) + ", alternate setting " +
            std::to_string(alternateSetting) + " on this bridge";
    return false;
  }
  alternateSetting_ = alternateSetting;
  return true;
}

bool BuiltInUsbCore::bulkUsable(std::uint8_t endpoint, std::string& error) const {
  if (alternateSetting_ != 1) {
    error = "endpoint " + hex(endpoint, 2) +
            " not available: interface 0, alternate setting 1 is not selected";
    return false;
  }
  if (cpuHeldInReset()) {
    error = "endpoint " + hex(endpoint, 2) +
            " does not answer: the 8051 is held in reset (no firmware running)";
    return false;
  }
  return true;
}

}  // namespace sim
