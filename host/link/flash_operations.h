#pragma once
// The host's flash building blocks: each sends one bridge packet or moves bytes on a data
// pipe, and returns the success flag of its last driver call.
#include <cstdint>

#include "host/link/device_channel.h"

bool sendReadAddress(DeviceChannel& channel, std::uint32_t offset);
// `offset` is block-aligned by the caller; only the page number is sent.
bool sendBlockErase(DeviceChannel& channel, std::uint32_t offset);
bool sendCommand(DeviceChannel& channel, std::uint8_t command);
// The command with the address byte 0x00 (read ID).
bool sendCommandAddress(DeviceChannel& channel, std::uint8_t command);
// Announces `count` bytes and reads exactly that many into `buffer`. A count of 0 or above
// 65,535 cannot be announced and is refused with nothing sent. When the announcement itself
// fails the read is not made: it would wait for bytes the bridge was never asked for.
bool readBytes(DeviceChannel& channel, std::uint8_t* buffer, std::uint32_t count);
bool writeData(DeviceChannel& channel, const std::uint8_t* buffer, std::uint32_t count);
