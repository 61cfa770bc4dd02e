#pragma once
// Loads the bridge firmware into the FX2's RAM: holds the 8051 in reset, writes the Intel
// HEX text run by run, and releases the reset so the firmware starts from its reset vector.
#include <cstddef>
#include <cstdint>

#include "host/link/device_channel.h"

inline constexpr std::size_t RUN_BUFFER_SIZE = 8192;
inline constexpr std::uint16_t CPUCS_ADDRESS = 0xE600;
inline constexpr std::uint8_t FIRMWARE_LOAD_REQUEST = 0xA0;

bool holdCpuReset(DeviceChannel& channel);
bool releaseCpuReset(DeviceChannel& channel);

// `text` is split in place (every ':' but the first becomes a zero), so it serves one
// download. Records that follow on from the previous one by address are gathered into one
// run and sent with one download call. Beyond plain Intel HEX:
// - a run that would outgrow the staging buffer is sent when the buffer is full and goes on
//   as a new run at the next address, so the buffer is never overrun;
// - a record that is cut short, has a non-hex digit, or has a type other than data (00) or
//   end of file (01) is skipped whole, as if it were absent;
// - a run still staged when the text ends (no end-of-file record) is sent, not dropped.
// Returns the number of records skipped as malformed.
std::size_t downloadFirmware(DeviceChannel& channel, char* text);
