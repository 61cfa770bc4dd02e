#pragma once
// The tool's state for the whole run, one instance.
#include <cstdint>
#include <memory>

#include "host/link/device_channel.h"
#include "host/tool_console.h"

inline constexpr std::uint32_t TRANSFER_BUFFER_SIZE = 0x100000;
inline constexpr std::size_t FILE_NAME_CAPACITY = 260;

struct ToolState {
  DeviceChannel channel;
  std::unique_ptr<std::uint8_t[]> transferBuffer;
  std::uint32_t flashOffset = 0;
  int cursorDigit = 1;  // which hex digit of flashOffset up and down change; 0 = least significant
  const char* imageFileName = nullptr;  // unset until given on the command line or chosen

  // The requester's buffers live for the whole run, so it opens with the previous choice.
  char requesterFileName[FILE_NAME_CAPACITY] = {};
  char requesterFileTitle[FILE_NAME_CAPACITY] = {};

  ToolConsole console;
  int unreadableKeys = 0;  // key reads in a row that found no console input
};
