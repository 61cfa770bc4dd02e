#pragma once
// Time-outs of the libusb backend, in milliseconds. The EZ-USB driver on Windows sets none;
// here a stalled bridge must not hang the tool for good, so every transfer gets a limit far
// above what the slowest real operation needs.
//
// Bulk: the longest transfer is a whole raw block (16,896 bytes) read while the flash loads
// its 32 pages one after the other (about 25 us each) - a few milliseconds at most, even at
// full speed. 5 s leaves room for a busy bus and a slow host controller.
inline constexpr unsigned BULK_TIMEOUT_MS = 5000;

// Control: request 0xA0 is answered by the chip's USB core itself, with no firmware in the
// way; one chunk of a RAM download takes well under a millisecond.
inline constexpr unsigned CONTROL_TIMEOUT_MS = 1000;

// Largest data stage of one RAM download request.
inline constexpr unsigned DOWNLOAD_CHUNK_SIZE = 4096;
