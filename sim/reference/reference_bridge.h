#pragma once
// The bridge stated at packet level, with no 8051: command packets from endpoint 0x04, the
// long write from endpoint 0x02 and counted reads into endpoint 0x88, each turned into bus
// cycles on the NAND model the way the firmware does it. It is the oracle the firmware on the
// chip model is compared against, and a fast simulated bridge for the host tool.
//
// Endpoint buffers are modelled as on the chip: two packets each on 0x04 and 0x88, 1024
// bytes on 0x02. The bridge works in the host's calls; when it cannot go on (the flash never
// gets ready, or the host asks for bytes that no read announced) the host's transfer fails
// with a "bridge stalled: ..." message instead of waiting for good.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/nand/nand_flash.h"
#include "sim/reference/built_in_usb_core.h"
#include "sim/simulated_device.h"

namespace sim {

class ReferenceBridge final : public SimulatedDevice {
 public:
  static constexpr std::uint8_t ENDPOINT_DATA_OUT = 0x02;
  static constexpr std::uint8_t ENDPOINT_COMMAND = 0x04;
  static constexpr std::uint8_t ENDPOINT_DATA_IN = 0x88;
  static constexpr std::uint32_t PACKET_SIZE = 512;

  explicit ReferenceBridge(NandFlash& flash);

  bool controlOut(std::uint8_t request, std::uint16_t value, std::uint16_t index,
                  const std::uint8_t* data, std::uint16_t length) override;
  bool setInterface(std::uint8_t interfaceNumber, std::uint8_t alternateSetting) override;
  bool bulkOut(std::uint8_t endpoint, const std::uint8_t* data, std::uint32_t length) override;
  bool bulkIn(std::uint8_t endpoint, std::uint8_t* data, std::uint32_t length,
              std::uint32_t& transferred) override;
  void advanceHostTime(SimTime duration) override { now_ += duration; }
  SimTime now() const override { return now_; }
  const std::string& lastError() const override { return lastError_; }

  const BuiltInUsbCore& usbCore() const { return usb_; }

 private:
  // The bytes of a command packet the bridge looks at; missing ones read as 0.
  struct CommandPacket {
    std::array<std::uint8_t, 6> bytes{};
  };
  struct InPacket {
    std::array<std::uint8_t, PACKET_SIZE> bytes;
    std::uint32_t length = 0;
  };

  void restartFirmware();
  void run();
  void execute(const CommandPacket& packet);
  bool singleWrite(bool command, std::uint8_t value);
  void longWrite();
  bool continueRead();
  bool fail(std::string message);

  NandFlash& flash_;
  BuiltInUsbCore usb_;
  SimTime now_ = 0;
  std::string lastError_;
  std::string stall_;  // why the bridge can no longer go on; empty while it can

  // Endpoint 0x04: packets not yet taken.
  std::array<CommandPacket, 2> commands_{};
  std::uint32_t commandHead_ = 0;
  std::uint32_t commandCount_ = 0;
  std::uint32_t commandRoom_ = 2;  // one less while a stalled packet holds its buffer

  // Endpoint 0x02: bytes the long write has not clocked yet.
  std::vector<std::uint8_t> dataOut_;
  std::size_t dataOutHead_ = 0;

  // Endpoint 0x88: committed packets and the one being filled.
  std::array<InPacket, 2> in_{};
  std::uint32_t inHead_ = 0;
  std::uint32_t inCount_ = 0;
  std::uint32_t fillLength_ = 0;

  std::uint16_t recordedCount_ = 0;     // a BRIDGE_READ not yet started
  std::uint32_t readRemaining_ = 0;     // bytes of the running read still to clock
  std::uint32_t announced_ = 0;         // count of the last read started
};

}  // namespace sim
