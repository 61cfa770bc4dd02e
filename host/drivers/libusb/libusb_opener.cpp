// Finds instance n among the bridges on the bus: the n-th device, in libusb's enumeration
// order, that carries the FX2's built-in identity.
#include <libusb.h>

#include "host/drivers/driver_select.h"
#include "host/drivers/libusb/libusb_device.h"

namespace {
constexpr std::uint16_t FX2_VENDOR_ID = 0x04B4;
constexpr std::uint16_t FX2_PRODUCT_ID = 0x8613;

bool isBridge(libusb_device* device) {
  libusb_device_descriptor descriptor{};
  if (libusb_get_device_descriptor(device, &descriptor) != 0) return false;
  return descriptor.idVendor == FX2_VENDOR_ID && descriptor.idProduct == FX2_PRODUCT_ID;
}
}  // namespace

std::unique_ptr<DriverDevice> openLibusbInstance(int instance, std::string& error) {
  error.clear();
  if (instance < 0) return nullptr;

  libusb_context* context = nullptr;
  const int started = libusb_init(&context);
  if (started != 0) {
    error = std::string("libusb cannot start: ") + libusb_strerror(started);
    return nullptr;
  }
  libusb_device** list = nullptr;
  const ssize_t count = libusb_get_device_list(context, &list);
  if (count < 0) {
    error = std::string("libusb cannot list the USB devices: ") +
            libusb_strerror(static_cast<int>(count));
    libusb_exit(context);
    return nullptr;
  }

  libusb_device_handle* handle = nullptr;
  int seen = 0;
  for (ssize_t i = 0; i < count; ++i) {
    if (!isBridge(list[i])) continue;
    if (seen++ != instance) continue;
    const int opened = libusb_open(list[i], &handle);
    if (opened == LIBUSB_ERROR_ACCESS) {
      error = "permission denied: see the README's udev section";
    } else if (opened != 0) {
      error = "cannot open bridge " + std::to_string(instance) + ": " + libusb_strerror(opened);
    }
    if (opened != 0) handle = nullptr;
    break;
  }
  // An open handle keeps its own reference to the device.
  libusb_free_device_list(list, 1);

  if (handle == nullptr) {
    libusb_exit(context);
    return nullptr;
  }
  return std::make_unique<LibusbDevice>(context, handle);
}
