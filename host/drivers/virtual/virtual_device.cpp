#include "host/drivers/virtual/virtual_device.h"

#include <algorithm>
#include <cstdio>

#include "host/platform/sleep.h"

namespace {

std::string hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

void advanceSimulatedClock(void* context, unsigned milliseconds) {
  static_cast<sim::SimulatedDevice*>(context)->advanceHostTime(sim::milliseconds(milliseconds));
}

}  // namespace

VirtualDevice::VirtualDevice(std::unique_ptr<sim::NandFlash> flash,
                             std::unique_ptr<sim::SimulatedDevice> bridge)
    : flash_(std::move(flash)), bridge_(std::move(bridge)) {
  setSleepHook(advanceSimulatedClock, bridge_.get());
}

VirtualDevice::~VirtualDevice() { setSleepHook(nullptr, nullptr); }

bool VirtualDevice::fail(std::string message) {
  error_ = std::move(message);
  return false;
}

bool VirtualDevice::result(bool ok) {
  if (!ok) error_ = bridge_->lastError();
  return ok;
}

bool VirtualDevice::vendorRequest(const VendorRequestRecord& record) {
  // The record carries a one-byte data stage; a longer one has nothing to come from.
  if (record.length > 1) {
    return fail("vendor request " + hex(record.request) + " with a data stage of " +
                std::to_string(record.length) + " bytes; the record carries one");
  }
  return result(bridge_->controlOut(record.request, record.value, record.index, &record.data,
                                    record.length));
}

bool VirtualDevice::selectInterface(std::uint8_t interfaceNumber, std::uint8_t alternateSetting) {
  return result(bridge_->setInterface(interfaceNumber, alternateSetting));
}

bool VirtualDevice::bulkWrite(std::uint32_t pipe, const std::uint8_t* source, std::uint32_t count) {
  if (pipe == 2) return result(bridge_->bulkOut(0x02, source, count));
  if (pipe == 3) return result(bridge_->bulkOut(0x04, source, count));
  return fail("bulk write to pipe " + std::to_string(pipe) +
              ": not an OUT pipe of the bridge (2 and 3 are)");
}

bool VirtualDevice::bulkRead(std::uint32_t pipe, std::uint8_t* destination, std::uint32_t count) {
  if (pipe != 5) {
    return fail("bulk read from pipe " + std::to_string(pipe) +
                ": not an IN pipe of the bridge (5 is)");
  }
  std::uint32_t transferred = 0;
  return result(bridge_->bulkIn(0x88, destination, count, transferred));
}

bool VirtualDevice::anchorDownload(std::uint16_t address, const std::uint8_t* source,
                                   std::uint32_t count) {
  if (std::uint32_t(address) + count > 0x10000) {
    return fail("RAM download of " + std::to_string(count) + " bytes at " +
                hex(address) + " runs past the 64 KB address space");
  }
  for (std::uint32_t offset = 0; offset < count; offset += DOWNLOAD_CHUNK) {
    const auto chunk = std::uint16_t(std::min(DOWNLOAD_CHUNK, count - offset));
    if (!bridge_->controlOut(0xA0, std::uint16_t(address + offset), 0, source + offset, chunk)) {
      return result(false);
    }
  }
  return result(true);
}
