#include "tests/host/recording_device.h"

#include "host/link/bridge_packets.h"
#include "host/platform/sleep.h"

std::uint8_t rawFlashByte(std::uint64_t position) {
  std::uint64_t x = position * 0x9E3779B97F4A7C15ull;
  return static_cast<std::uint8_t>(x >> 56);
}

std::vector<DriverCall> DeviceRecorder::commandPackets() const {
  std::vector<DriverCall> packets;
  for (const DriverCall& call : calls) {
    if (call.kind == CallKind::BulkWrite && call.pipe == PIPE_COMMAND) packets.push_back(call);
  }
  return packets;
}

void DeviceRecorder::installSleepLog() {
  setSleepHook(
      [](void* context, unsigned ms) {
        auto* self = static_cast<DeviceRecorder*>(context);
        if (self->keepLog) self->calls.push_back({CallKind::Sleep, ms, 0, {}});
      },
      this);
}

bool RecordingDevice::record(DriverCall call) {
  failed_ = recorder_->fails && recorder_->fails(call);
  if (recorder_->keepLog) recorder_->calls.push_back(std::move(call));
  return !failed_;
}

bool RecordingDevice::vendorRequest(const VendorRequestRecord& record) {
  const auto bytes = record.bytes();
  return this->record({CallKind::Vendor, 0, VendorRequestRecord::SIZE, {bytes.begin(), bytes.end()}});
}

bool RecordingDevice::selectInterface(std::uint8_t interfaceNumber,
                                      std::uint8_t alternateSetting) {
  return record({CallKind::SelectInterface, interfaceNumber, alternateSetting, {}});
}

bool RecordingDevice::bulkWrite(std::uint32_t pipe, const std::uint8_t* source,
                                std::uint32_t count) {
  DriverCall call{CallKind::BulkWrite, pipe, count, {}};
  if (pipe == PIPE_COMMAND || recorder_->keepDataBytes) call.bytes.assign(source, source + count);
  if (!record(call)) return false;
  if (pipe != PIPE_COMMAND || count < 2) return true;
  // The flash's side of the packet.
  DeviceRecorder& r = *recorder_;
  const std::uint8_t kind = source[0], command = source[1];
  if (kind == BRIDGE_CMD_ADDR4 && count >= 6 &&
      (command == NAND_READ_FIRST_HALF || command == NAND_READ_SECOND_HALF)) {
    const std::uint64_t page = source[3] | (source[4] << 8) | ((source[5] & 1u) << 16);
    r.readPosition = page * 528 + (command == NAND_READ_SECOND_HALF ? 256 : 0) + source[2];
    r.mode = DeviceRecorder::Mode::Data;
  } else if (kind == BRIDGE_CMD_ONLY && command == NAND_READ_STATUS) {
    r.mode = DeviceRecorder::Mode::Status;
  } else if (kind == BRIDGE_CMD_ADDR1 && command == NAND_READ_ID) {
    r.mode = DeviceRecorder::Mode::Id;
  }
  return true;
}

bool RecordingDevice::bulkRead(std::uint32_t pipe, std::uint8_t* destination,
                               std::uint32_t count) {
  if (!record({CallKind::BulkRead, pipe, count, {}})) return false;
  DeviceRecorder& r = *recorder_;
  switch (r.mode) {
    case DeviceRecorder::Mode::Data:
      for (std::uint32_t i = 0; i < count; ++i) destination[i] = rawFlashByte(r.readPosition + i);
      r.readPosition += count;
      break;
    case DeviceRecorder::Mode::Status: {
      const std::size_t n = r.statusReads++;
      const std::uint8_t status = r.statusBytes[std::min(n, r.statusBytes.size() - 1)];
      for (std::uint32_t i = 0; i < count; ++i) destination[i] = status;
      break;
    }
    case DeviceRecorder::Mode::Id:
      for (std::uint32_t i = 0; i < count; ++i) destination[i] = r.idBytes[i % 4];
      break;
  }
  return true;
}

bool RecordingDevice::anchorDownload(std::uint16_t address, const std::uint8_t* source,
                                     std::uint32_t count) {
  return record({CallKind::Download, address, count, {source, source + count}});
}
