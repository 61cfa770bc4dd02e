#pragma once
// Intel HEX reader for loading 8051 images: data records (00) and the end record (01);
// the address records (02, 04) and start records (03, 05) are accepted and, for a 64 KB
// image, the extended address must stay zero.
#include <cstdint>
#include <string>
#include <vector>

namespace mcs51 {

struct HexLoadResult {
  bool ok = false;
  std::string error;  // "line N: ..." when !ok
  std::uint32_t highestAddress = 0;  // one past the last byte written
};

// Writes every data byte into `image` (which is not cleared first); bytes beyond its size are
// an error.
HexLoadResult loadIntelHex(const std::string& text, std::vector<std::uint8_t>& image);

// Data records of 16 bytes from `origin`, then the end record.
std::string toIntelHex(const std::vector<std::uint8_t>& bytes, std::uint16_t origin = 0);

}  // namespace mcs51
