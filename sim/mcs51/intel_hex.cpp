#include "sim/mcs51/intel_hex.h"

#include <sstream>

namespace mcs51 {

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

HexLoadResult failure(unsigned line, const std::string& what) {
  HexLoadResult r;
  r.error = "line " + std::to_string(line) + ": " + what;
  return r;
}

}  // namespace

HexLoadResult loadIntelHex(const std::string& text, std::vector<std::uint8_t>& image) {
  HexLoadResult result;
  std::istringstream in(text);
  std::string line;
  unsigned lineNumber = 0;
  std::uint32_t base = 0;
  bool ended = false;
  while (std::getline(in, line)) {
    ++lineNumber;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
      line.pop_back();
    if (line.empty()) continue;
    if (ended) return failure(lineNumber, "data after the end record");
    if (line[0] != ':') return failure(lineNumber, "record does not start with ':'");
    if (line.size() < 11 || (line.size() - 1) % 2 != 0)
      return failure(lineNumber, "record too short or of odd length");
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 1; i + 1 < line.size(); i += 2) {
      const int hi = hexDigit(line[i]), lo = hexDigit(line[i + 1]);
      if (hi < 0 || lo < 0) return failure(lineNumber, "not a hexadecimal digit");
      bytes.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
    }
    const unsigned count = bytes[0];
    if (bytes.size() != count + 5u) return failure(lineNumber, "byte count does not match");
    std::uint8_t sum = 0;
    for (std::uint8_t b : bytes) sum = static_cast<std::uint8_t>(sum + b);
    if (sum != 0) return failure(lineNumber, "checksum error");
    const std::uint32_t offset = static_cast<std::uint32_t>(bytes[1] << 8 | bytes[2]);
    const std::uint8_t type = bytes[3];
    const std::uint8_t* data = bytes.data() + 4;
    switch (type) {
      case 0x00:
        for (unsigned i = 0; i < count; ++i) {
          const std::uint32_t address = base + offset + i;
          if (address >= image.size())
            return failure(lineNumber, "address beyond the " + std::to_string(image.size()) +
                                           "-byte image");
          image[address] = data[i];
          if (address + 1 > result.highestAddress) result.highestAddress = address + 1;
        }
        break;
      case 0x01: ended = true; break;
      case 0x02:
        if (count != 2) return failure(lineNumber, "bad segment address record");
        base = static_cast<std::uint32_t>(data[0] << 8 | data[1]) << 4;
        break;
      case 0x04:
        if (count != 2) return failure(lineNumber, "bad linear address record");
        base = static_cast<std::uint32_t>(data[0] << 8 | data[1]) << 16;
        break;
      case 0x03:
      case 0x05: break;
      default: return failure(lineNumber, "unknown record type");
    }
  }
  if (!ended) return failure(lineNumber, "no end record");
  result.ok = true;
  return result;
}

std::string toIntelHex(const std::vector<std::uint8_t>& bytes, std::uint16_t origin) {
  static constexpr char digits[] = "0123456789ABCDEF";
  std::string out;
  const auto put = [&](std::uint8_t b, std::uint8_t& sum) {
    out += digits[b >> 4];
    out += digits[b & 15];
    sum = static_cast<std::uint8_t>(sum + b);
  };
  for (std::size_t at = 0; at < bytes.size(); at += 16) {
    const std::size_t n = bytes.size() - at < 16 ? bytes.size() - at : 16;
    const std::uint32_t address = origin + at;
    std::uint8_t sum = 0;
    out += ':';
    put(static_cast<std::uint8_t>(n), sum);
    put(static_cast<std::uint8_t>(address >> 8), sum);
    put(static_cast<std::uint8_t>(address), sum);
    put(0, sum);
    for (std::size_t i = 0; i < n; ++i) put(bytes[at + i], sum);
    std::uint8_t ignored = 0;
    put(static_cast<std::uint8_t>(-sum), ignored);
    out += '\n';
  }
  out += ":00000001FF\n";
  return out;
}

}  // namespace mcs51
