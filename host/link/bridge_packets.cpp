#include "host/link/bridge_packets.h"

std::uint8_t columnByte(std::uint32_t offset) { return offset & 0xFF; }
std::uint8_t rowByte1(std::uint32_t offset) { return (offset >> 9) & 0xFF; }
std::uint8_t rowByte2(std::uint32_t offset) { return (offset >> 17) & 0xFF; }
std::uint8_t rowByte3(std::uint32_t offset) { return (offset >> 25) & 0x01; }

Addr4Packet addr4Packet(std::uint8_t command, std::uint32_t offset) {
  return {BRIDGE_CMD_ADDR4, command, columnByte(offset), rowByte1(offset), rowByte2(offset),
          rowByte3(offset)};
}

Addr4Packet readAddressPacket(std::uint32_t offset) {
  const bool secondHalf = (offset >> 8) & 0x01;
  return addr4Packet(secondHalf ? NAND_READ_SECOND_HALF : NAND_READ_FIRST_HALF, offset);
}

Addr4Packet programSetupPacket(std::uint32_t offset) {
  return addr4Packet(NAND_SERIAL_INPUT, offset);
}

Addr3CmdPacket blockErasePacket(std::uint32_t offset) {
  return {BRIDGE_CMD_ADDR3_CMD, NAND_ERASE_SETUP, rowByte1(offset), rowByte2(offset),
          rowByte3(offset), NAND_ERASE_CONFIRM};
}

CommandPacket commandPacket(std::uint8_t command) {
  return {BRIDGE_CMD_ONLY, command, FILLER, FILLER};
}

CommandPacket commandAddressPacket(std::uint8_t command) {
  return {BRIDGE_CMD_ADDR1, command, 0x00, FILLER};
}

ReadPacket readPacket(std::uint16_t count) {
  return {BRIDGE_READ, static_cast<std::uint8_t>(count >> 8),
          static_cast<std::uint8_t>(count & 0xFF)};
}
