#pragma once
// The command packets the bridge firmware takes on its command pipe, and the pipes. The one
// multi-byte field, the read count, is big-endian.
#include <array>
#include <cstdint>

inline constexpr std::uint32_t PIPE_DATA_OUT = 2;  // endpoint 2 OUT: page data
inline constexpr std::uint32_t PIPE_COMMAND = 3;   // endpoint 4 OUT: command packets
inline constexpr std::uint32_t PIPE_DATA_IN = 5;   // endpoint 8 IN: flash data

inline constexpr std::uint8_t BRIDGE_CMD_ADDR4 = 0x50;
inline constexpr std::uint8_t BRIDGE_CMD_ADDR3_CMD = 0x51;
inline constexpr std::uint8_t BRIDGE_CMD_ONLY = 0x52;
inline constexpr std::uint8_t BRIDGE_CMD_ADDR1 = 0x53;
inline constexpr std::uint8_t BRIDGE_READ = 0x12;

// Sent for the bytes the bridge never reads.
inline constexpr std::uint8_t FILLER = 0x00;

inline constexpr std::uint8_t NAND_READ_FIRST_HALF = 0x00;
inline constexpr std::uint8_t NAND_READ_SECOND_HALF = 0x01;
inline constexpr std::uint8_t NAND_PROGRAM_CONFIRM = 0x10;
inline constexpr std::uint8_t NAND_ERASE_SETUP = 0x60;
inline constexpr std::uint8_t NAND_READ_STATUS = 0x70;
inline constexpr std::uint8_t NAND_SERIAL_INPUT = 0x80;
inline constexpr std::uint8_t NAND_READ_ID = 0x90;
inline constexpr std::uint8_t NAND_ERASE_CONFIRM = 0xD0;
inline constexpr std::uint8_t NAND_RESET = 0xFF;

// Status byte bit 0: the last program or erase failed.
inline constexpr std::uint8_t NAND_STATUS_FAILED = 0x01;

inline constexpr std::uint32_t BRIDGE_READ_MAX = 0xFFFF;

using Addr4Packet = std::array<std::uint8_t, 6>;
using Addr3CmdPacket = std::array<std::uint8_t, 6>;
using CommandPacket = std::array<std::uint8_t, 4>;
using ReadPacket = std::array<std::uint8_t, 3>;

// The four address bytes of an offset: column, then the 17-bit page number low byte first.
// Offset bit 8 picks the read command instead; bits 26 to 31 are dropped.
std::uint8_t columnByte(std::uint32_t offset);
std::uint8_t rowByte1(std::uint32_t offset);
std::uint8_t rowByte2(std::uint32_t offset);
std::uint8_t rowByte3(std::uint32_t offset);

// `command` followed by the four address bytes of `offset`.
Addr4Packet addr4Packet(std::uint8_t command, std::uint32_t offset);
Addr4Packet readAddressPacket(std::uint32_t offset);
Addr4Packet programSetupPacket(std::uint32_t offset);
Addr3CmdPacket blockErasePacket(std::uint32_t offset);
CommandPacket commandPacket(std::uint8_t command);
CommandPacket commandAddressPacket(std::uint8_t command);
ReadPacket readPacket(std::uint16_t count);
