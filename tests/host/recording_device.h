#pragma once
// A DriverDevice that records every call and answers reads like a small flash: each raw
// byte of the device has a fixed value (rawFlashByte), read setups pick the position, the
// read-status command makes every byte the status, read ID gives the ID bytes. Calls can be
// made to fail, and the tool's sleeps land in the same log.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/drivers/driver_device.h"

enum class CallKind { Vendor, SelectInterface, BulkWrite, BulkRead, Download, Sleep };

struct DriverCall {
  CallKind kind;
  std::uint32_t pipe = 0;      // bulk calls; interface number; download address; sleep ms
  std::uint32_t count = 0;     // byte count; alternate setting
  std::vector<std::uint8_t> bytes;  // written bytes, vendor record bytes
};

// The content of raw device position `position` (page n's byte k at n * 528 + k).
std::uint8_t rawFlashByte(std::uint64_t position);

struct DeviceRecorder {
  std::vector<DriverCall> calls;
  bool keepLog = true;               // off for whole-device runs
  bool keepDataBytes = true;         // page data bytes of PIPE_DATA_OUT writes
  std::function<bool(const DriverCall&)> fails;  // true: this call fails
  std::string error = "stalled on endpoint 8";  // lastError() after a failed call
  std::vector<std::uint8_t> statusBytes{0x00};  // status per status read, last one repeats
  std::uint8_t idBytes[4] = {0xEC, 0x76, 0xA5, 0xC0};
  std::size_t statusReads = 0;

  // Flash model state
  std::uint64_t readPosition = 0;
  enum class Mode { Data, Status, Id } mode = Mode::Data;

  std::vector<DriverCall> commandPackets() const;  // bulk writes on the command pipe
  void installSleepLog();                          // routes the tool's sleeps into `calls`
};

class RecordingDevice : public DriverDevice {
 public:
  explicit RecordingDevice(std::shared_ptr<DeviceRecorder> recorder)
      : recorder_(std::move(recorder)) {}
  bool vendorRequest(const VendorRequestRecord& record) override;
  bool selectInterface(std::uint8_t interfaceNumber, std::uint8_t alternateSetting) override;
  bool bulkWrite(std::uint32_t pipe, const std::uint8_t* source, std::uint32_t count) override;
  bool bulkRead(std::uint32_t pipe, std::uint8_t* destination, std::uint32_t count) override;
  bool anchorDownload(std::uint16_t address, const std::uint8_t* source,
                      std::uint32_t count) override;
  std::string lastError() const override { return failed_ ? recorder_->error : std::string(); }

 private:
  bool record(DriverCall call);
  std::shared_ptr<DeviceRecorder> recorder_;
  bool failed_ = false;
};

using Bytes = std::vector<std::uint8_t>;
