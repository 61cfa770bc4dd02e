#include "host/link/firmware_loader.h"

#include <array>
#include <cstring>

namespace {

VendorRequestRecord cpuResetRecord(std::uint8_t data) {
  VendorRequestRecord record;
  record.request = FIRMWARE_LOAD_REQUEST;
  record.value = CPUCS_ADDRESS;
  record.index = 0x0000;
  record.length = 1;
  record.direction = 0;
  record.data = data;
  return record;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads `digits` hex digits at `at`; false when the piece is too short or a digit is bad.
bool readHex(const char* piece, std::size_t pieceLength, std::size_t at, int digits,
             std::uint32_t& value) {
  if (at + digits > pieceLength) return false;
  value = 0;
  for (int i = 0; i < digits; ++i) {
    const int d = hexDigit(piece[at + i]);
    if (d < 0) return false;
    value = (value << 4) | static_cast<std::uint32_t>(d);
  }
  return true;
}

struct Record {
  std::uint32_t length = 0;
  std::uint32_t address = 0;
  std::array<std::uint8_t, 255> data{};
};

constexpr std::uint32_t RECORD_DATA = 0x00;
constexpr std::uint32_t RECORD_END_OF_FILE = 0x01;

bool parseRecord(const char* piece, std::size_t pieceLength, Record& record) {
  std::uint32_t type = 0;
  if (!readHex(piece, pieceLength, 0, 2, record.length) ||
      !readHex(piece, pieceLength, 2, 4, record.address) ||
      !readHex(piece, pieceLength, 6, 2, type)) {
    return false;
  }
  if (type != RECORD_DATA && type != RECORD_END_OF_FILE) return false;
  for (std::uint32_t j = 0; j < record.length; ++j) {
    std::uint32_t byte = 0;
    if (!readHex(piece, pieceLength, 8 + 2 * j, 2, byte)) return false;
    record.data[j] = static_cast<std::uint8_t>(byte);
  }
  return true;
}

class RunStager {
 public:
  explicit RunStager(DeviceChannel& channel) : channel_(channel) { staging_.fill(0); }

  void add(const Record& record) {
    if (record.address != nextAddress_ && length_ != 0) send();
    if (length_ == 0) start_ = static_cast<std::uint16_t>(record.address);
    for (std::uint32_t j = 0; j < record.length; ++j) {
      if (length_ == RUN_BUFFER_SIZE) {
        const auto next = static_cast<std::uint16_t>(start_ + RUN_BUFFER_SIZE);
        send();
        start_ = next;
      }
      staging_[length_++] = record.data[j];
    }
    nextAddress_ = record.address + record.length;  // 32 bits: 0xFFF0 + 16 is 0x10000
  }

  void finish() {
    if (length_ != 0) send();
  }

 private:
  void send() {
    anchorDownload(channel_, start_, staging_.data(), static_cast<std::uint32_t>(length_));
    length_ = 0;
  }

  DeviceChannel& channel_;
  std::array<std::uint8_t, RUN_BUFFER_SIZE> staging_;
  std::uint16_t start_ = 0;
  std::size_t length_ = 0;
  std::uint32_t nextAddress_ = 0xFFFFFFFF;  // no 16-bit load address equals it
};

}  // namespace

bool holdCpuReset(DeviceChannel& channel) { return vendorRequest(channel, cpuResetRecord(0x01)); }

bool releaseCpuReset(DeviceChannel& channel) {
  return vendorRequest(channel, cpuResetRecord(0x00));
}

std::size_t downloadFirmware(DeviceChannel& channel, char* text) {
  RunStager stager(channel);
  std::size_t skipped = 0;
  holdCpuReset(channel);

  char* colon = std::strchr(text, ':');
  while (colon != nullptr) {
    char* piece = colon + 1;
    char* end = std::strchr(piece, ':');
    if (end != nullptr) *end = '\0';
    const std::size_t pieceLength = std::strlen(piece);
    if (pieceLength != 0) {
      Record record;
      if (parseRecord(piece, pieceLength, record)) {
        stager.add(record);
      } else {
        ++skipped;
      }
    }
    colon = end;
  }

  stager.finish();
  releaseCpuReset(channel);
  return skipped;
}
