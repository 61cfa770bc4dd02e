#include "host/link/device_channel.h"

bool openChannel(DeviceChannel& channel, std::string& reasons, DriverOpener opener) {
  reasons.clear();
  std::string lastReason;
  for (int instance = 0; instance < CHANNEL_INSTANCE_COUNT; ++instance) {
    std::string error;
    std::unique_ptr<DriverDevice> device = opener(instance, error);
    if (device) {
      channel.device = std::move(device);
      channel.instance = instance;
      reasons.clear();
      return true;
    }
    // A backend that cannot open any instance tends to give the same reason for each; say it once.
    if (!error.empty() && error != lastReason) {
      reasons += error;
      reasons += '\n';
      lastReason = error;
    }
  }
  return false;
}

bool vendorRequest(DeviceChannel& channel, const VendorRequestRecord& record) {
  return channel.device && channel.device->vendorRequest(record);
}

bool selectInterface(DeviceChannel& channel, std::uint8_t interfaceNumber,
                     std::uint8_t alternateSetting) {
  return channel.device && channel.device->selectInterface(interfaceNumber, alternateSetting);
}

bool bulkWrite(DeviceChannel& channel, std::uint32_t pipe, const std::uint8_t* source,
               std::uint32_t count) {
  return channel.device && channel.device->bulkWrite(pipe, source, count);
}

bool bulkRead(DeviceChannel& channel, std::uint32_t pipe, std::uint8_t* destination,
              std::uint32_t count) {
  return channel.device && channel.device->bulkRead(pipe, destination, count);
}

bool anchorDownload(DeviceChannel& channel, std::uint16_t address, const std::uint8_t* source,
                    std::uint32_t count) {
  return channel.device && channel.device->anchorDownload(address, source, count);
}

std::string channelError(const DeviceChannel& channel) {
  if (!channel.device) return "no bridge is open";
  return channel.device->lastError();
}
