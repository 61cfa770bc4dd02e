#pragma once
// The 10-byte record of a vendor request on the control endpoint, as the EZ-USB driver takes
// it (multi-byte fields little-endian).
#include <array>
#include <cstdint>

struct VendorRequestRecord {
  std::uint8_t request = 0;
  std::uint8_t alignment = 0;  // not interpreted
  std::uint16_t value = 0;
  std::uint16_t index = 0;
  std::uint16_t length = 0;
  std::uint8_t direction = 0;  // 0 = host to device
  std::uint8_t data = 0;

  static constexpr std::size_t SIZE = 10;

  std::array<std::uint8_t, SIZE> bytes() const {
    return {request,
            alignment,
            static_cast<std::uint8_t>(value & 0xFF),
            static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(index & 0xFF),
            static_cast<std::uint8_t>(index >> 8),
            static_cast<std::uint8_t>(length & 0xFF),
            static_cast<std::uint8_t>(length >> 8),
            direction,
            data};
  }
};
