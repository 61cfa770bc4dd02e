#pragma once
// What the FX2's own USB core does for a bridge before and beside its firmware: request 0xA0
// writes the on-chip RAM and CPUCS (bit 0 holds the 8051 in reset), SET_INTERFACE picks the
// alternate setting, and the bulk endpoints are usable only with the firmware running under
// interface 0, alternate setting 1.
#include <array>
#include <cstdint>
#include <string>

namespace sim {

class BuiltInUsbCore {
 public:
  static constexpr std::uint8_t FIRMWARE_LOAD = 0xA0;
  static constexpr std::uint16_t CPUCS = 0xE600;
  static constexpr std::uint32_t RAM_SIZE = 0x4000;

  // Request 0xA0 (other requests are refused: no firmware request is defined). Fails with a
  // message in `error` for an address outside RAM and CPUCS and for a RAM write while the
  // 8051 runs.
  bool controlOut(std::uint8_t request, std::uint16_t value, const std::uint8_t* data,
                  std::uint16_t length, std::string& error);
  bool setInterface(std::uint8_t interfaceNumber, std::uint8_t alternateSetting,
                    std::string& error);
  // Whether `endpoint` may carry data now; `error` says why not.
  bool bulkUsable(std::uint8_t endpoint, std::string& error) const;

  // No boot EEPROM: the chip comes up with the 8051 held in reset.
  bool cpuHeldInReset() const { return (cpucs_ & 0x01) != 0; }
  const std::array<std::uint8_t, RAM_SIZE>& ram() const { return ram_; }

 private:
  std::array<std::uint8_t, RAM_SIZE> ram_{};
  std::uint8_t cpucs_ = 0x03;  // reset value 0x02 (12 MHz, CLKOUT on) plus the held reset
  int alternateSetting_ = 0;
};

}  // namespace sim
