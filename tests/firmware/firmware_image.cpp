#include "firmware_image.h"

#include <cctype>

#include "firmware/image/firmware_hex_text.h"

namespace firmware_test {

namespace {

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool hexByte(const std::string& s, std::size_t at, std::uint8_t& out) {
  if (at + 2 > s.size()) return false;
  const int hi = hexDigit(s[at]), lo = hexDigit(s[at + 1]);
  if (hi < 0 || lo < 0) return false;
  out = static_cast<std::uint8_t>(hi * 16 + lo);
  return true;
}

HexRecord parseLine(const std::string& line) {
  HexRecord r;
  std::uint8_t length = 0, ah = 0, al = 0, checksum = 0;
  if (line.size() < 11 || line[0] != ':' || !hexByte(line, 1, length) || !hexByte(line, 3, ah) ||
      !hexByte(line, 5, al) || !hexByte(line, 7, r.type) ||
      line.size() != 11u + 2u * length)
    return {};
  unsigned sum = length + ah + al + r.type;
  for (unsigned i = 0; i < length; ++i) {
    std::uint8_t b = 0;
    if (!hexByte(line, 9 + 2 * i, b)) return {};
    r.data.push_back(b);
    sum += b;
  }
  if (!hexByte(line, 9 + 2 * length, checksum)) return {};
  r.checksumOk = ((sum + checksum) & 0xFF) == 0;
  r.address = static_cast<std::uint16_t>(ah * 256 + al);
  r.line = line;
  return r;
}

}  // namespace

const std::string& firmwareText() {
  static const std::string copy(firmwareHexText);
  return copy;
}

std::vector<HexRecord> parseRecords(const std::string& text) {
  std::vector<HexRecord> records;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      records.push_back({});  // a record without its line end
      break;
    }
    records.push_back(parseLine(text.substr(start, end - start)));
    start = end + 2;
  }
  return records;
}

std::vector<std::uint8_t> ramImage() {
  std::vector<std::uint8_t> ram(0x4000, 0);
  for (const HexRecord& r : parseRecords(firmwareText()))
    for (std::size_t i = 0; i < r.data.size() && r.address + i < ram.size(); ++i)
      ram[r.address + i] = r.data[i];
  return ram;
}

}  // namespace firmware_test
