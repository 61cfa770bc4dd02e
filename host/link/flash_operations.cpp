#include "host/link/flash_operations.h"

#include "host/link/bridge_packets.h"

namespace {
template <typename Packet>
bool sendPacket(DeviceChannel& channel, const Packet& packet) {
  return bulkWrite(channel, PIPE_COMMAND, packet.data(),
                   static_cast<std::uint32_t>(packet.size()));
}
}  // namespace

bool sendReadAddress(DeviceChannel& channel, std::uint32_t offset) {
  return sendPacket(channel, readAddressPacket(offset));
}

bool sendBlockErase(DeviceChannel& channel, std::uint32_t offset) {
  return sendPacket(channel, blockErasePacket(offset));
}

bool sendCommand(DeviceChannel& channel, std::uint8_t command) {
  return sendPacket(channel, commandPacket(command));
}

bool sendCommandAddress(DeviceChannel& channel, std::uint8_t command) {
  return sendPacket(channel, commandAddressPacket(command));
}

bool readBytes(DeviceChannel& channel, std::uint8_t* buffer, std::uint32_t count) {
  if (count == 0 || count > BRIDGE_READ_MAX) return false;
  if (!sendPacket(channel, readPacket(static_cast<std::uint16_t>(count)))) return false;
  return bulkRead(channel, PIPE_DATA_IN, buffer, count);
}

bool writeData(DeviceChannel& channel, const std::uint8_t* buffer, std::uint32_t count) {
  return bulkWrite(channel, PIPE_DATA_OUT, buffer, count);
}
