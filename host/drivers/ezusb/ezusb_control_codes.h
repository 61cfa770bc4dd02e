#pragma once
// The EZ-USB driver's control codes, in the Windows layout: device type in bits 16 and up,
// access bits 14-15 (none needed, so a handle opened for writing also serves reads), function
// number in bits 2-13, transfer method in bits 0-1.
#include <cstdint>

namespace ezusb {

inline constexpr std::uint32_t controlCode(std::uint32_t function, std::uint32_t method) {
  constexpr std::uint32_t DEVICE_TYPE_UNKNOWN = 0x22;
  return (DEVICE_TYPE_UNKNOWN << 16) | (function << 2) | method;
}

inline constexpr std::uint32_t METHOD_BUFFERED = 0;
inline constexpr std::uint32_t METHOD_DIRECT_TO_DRIVER = 1;  // the driver reads the out buffer
inline constexpr std::uint32_t METHOD_DIRECT_TO_CALLER = 2;  // the driver fills the out buffer

inline constexpr std::uint32_t IOCTL_VENDOR_REQUEST = controlCode(0x805, METHOD_BUFFERED);
inline constexpr std::uint32_t IOCTL_SET_INTERFACE = controlCode(0x810, METHOD_BUFFERED);
inline constexpr std::uint32_t IOCTL_BULK_READ = controlCode(0x813, METHOD_DIRECT_TO_CALLER);
inline constexpr std::uint32_t IOCTL_BULK_WRITE = controlCode(0x814, METHOD_DIRECT_TO_DRIVER);
inline constexpr std::uint32_t IOCTL_ANCHOR_DOWNLOAD = controlCode(0x81B, METHOD_DIRECT_TO_DRIVER);

static_assert(IOCTL_VENDOR_REQUEST == 0x222014);
static_assert(IOCTL_SET_INTERFACE == 0x222040);
static_assert(IOCTL_BULK_READ == 0x22204E);
static_assert(IOCTL_BULK_WRITE == 0x222051);
static_assert(IOCTL_ANCHOR_DOWNLOAD == 0x22206D);

}  // namespace ezusb
