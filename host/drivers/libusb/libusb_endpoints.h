#pragma once
// How the EZ-USB driver's pipe indices reach endpoints: under interface 0, alternate setting 1
// the chip's built-in core lists its bulk endpoints in this order, and a pipe index is the
// position in that list. The bridge uses pipes 2 (0x02), 3 (0x04) and 5 (0x88).
#include <array>
#include <cstdint>
#include <optional>

inline constexpr std::array<std::uint8_t, 6> BULK_ENDPOINTS_BY_PIPE = {0x01, 0x81, 0x02,
                                                                       0x04, 0x86, 0x88};

inline constexpr std::uint8_t ENDPOINT_DIRECTION_IN = 0x80;

inline constexpr std::optional<std::uint8_t> endpointForPipe(std::uint32_t pipe) {
  if (pipe >= BULK_ENDPOINTS_BY_PIPE.size()) return std::nullopt;
  return BULK_ENDPOINTS_BY_PIPE[pipe];
}
