#pragma once
// The built firmware image as the tests see it: the records of firmwareHexText (read from a
// copy, so the text stays intact for anyone else in the process) and the RAM image they
// describe.
#include <cstdint>
#include <string>
#include <vector>

namespace firmware_test {

struct HexRecord {
  std::string line;  // the record as written, without its line end
  std::uint8_t type = 0;
  std::uint16_t address = 0;
  std::vector<std::uint8_t> data;
  bool checksumOk = false;
};

// The text, copied once before anything can split it.
const std::string& firmwareText();
// Splits the text at "\r\n"; a malformed record yields a HexRecord with an empty line.
std::vector<HexRecord> parseRecords(const std::string& text);
// The 16 KB on-chip RAM with every data record written into it.
std::vector<std::uint8_t> ramImage();

}  // namespace firmware_test
