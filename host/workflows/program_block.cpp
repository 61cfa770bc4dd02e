#include <climits>
#include <cstdio>

#include "host/link/bridge_packets.h"
#include "host/link/flash_operations.h"
#include "host/link/nand_geometry.h"
#include "host/platform/sleep.h"
#include "host/workflows/confirmation.h"
#include "host/workflows/workflow_report.h"
#include "host/workflows/workflows.h"

namespace {

constexpr unsigned PROGRAM_WAIT_MS = 2;  // the host never polls ready; the page is done by then

// The file's size, or -1 when it cannot be told (a pipe, for example).
long long fileSize(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return -1;
  const long size = std::ftell(file);
  return size < 0 ? -1 : size;
}

bool fileHoldsPages(std::FILE* file, unsigned long long position, unsigned long long bytes,
                    const ToolConsole& console) {
  const long long size = fileSize(file);
  const unsigned long long end = position + bytes;
  if (size >= 0 && end <= static_cast<unsigned long long>(size) && end <= LONG_MAX) return true;
  if (size < 0) {
    console.print("The file's size cannot be told: nothing programmed\n");
  } else {
    console.print("The file is too short: it needs bytes %llu to %llu, it has %lld: "
                  "nothing programmed\n",
                  position, end - 1, size);
  }
  return false;
}

}  // namespace

bool programBlock(DeviceChannel& channel, std::FILE* file, std::uint32_t offset,
                  std::uint32_t length, std::uint8_t* buffer, const ToolConsole& console) {
  // Unsigned throughout: the page's place in the raw layout is never negative.
  const unsigned long long position =
      static_cast<unsigned long long>(offset / PAGE_DATA_SIZE) * PAGE_RAW_SIZE;
  if (length < 1) return true;
  const std::uint32_t pages = ((length - 1) / PAGE_DATA_SIZE) + 1;
  // Every page must come from the file: a short file would send stale buffer contents.
  if (!fileHoldsPages(file, position, static_cast<unsigned long long>(pages) * PAGE_RAW_SIZE,
                      console) ||
      std::fseek(file, static_cast<long>(position), SEEK_SET) != 0) {
    return false;
  }

  bool lineOpen = false;  // dots so far have no line end; a failure starts its own line
  auto stop = [&](const std::string& step) {
    if (lineOpen) console.print("\n");
    printStepFailure(console, channel, step);
    return false;
  };
  for (std::uint32_t page = 0; page < pages; ++page, offset += PAGE_DATA_SIZE) {
    const std::string at = hex8(offset);
    if (std::fread(buffer, 1, PAGE_RAW_SIZE, file) != PAGE_RAW_SIZE) {
      return stop("Reading the file for page " + at);
    }
    const Addr4Packet setup = programSetupPacket(offset);
    if (!bulkWrite(channel, PIPE_COMMAND, setup.data(), setup.size())) {
      return stop("Program setup for page " + at);
    }
    if (!writeData(channel, buffer, PAGE_RAW_SIZE)) return stop("Page data write for page " + at);
    if (!sendCommand(channel, NAND_PROGRAM_CONFIRM)) return stop("Program confirm for page " + at);
    sleepMilliseconds(PROGRAM_WAIT_MS);
    if (!sendCommand(channel, NAND_READ_STATUS)) return stop("Read status command for page " + at);
    if (!readBytes(channel, buffer, 4)) return stop("Status read for page " + at);
    if (buffer[0] & NAND_STATUS_FAILED) {
      console.print("Status error\n");
      lineOpen = false;
    } else {
      console.print(".");
      lineOpen = true;
    }
  }
  return true;
}

void programBlockAtOffset(ToolState& state) {
  const std::uint32_t block = state.flashOffset & BLOCK_ALIGN_MASK;
  if (refuseBeyondFlash(state, state.flashOffset)) return;
  if (!confirmBlockAction(state, "Program", block)) return;
  state.console.print("Programming block:%08X\n", static_cast<unsigned>(block));
  const char* name = state.imageFileName;
  std::FILE* file = (name != nullptr && *name != '\0') ? std::fopen(name, "rb") : nullptr;
  if (file == nullptr) {
    state.console.print("fopen failed\n");
    return;
  }
  programBlock(state.channel, file, block, BLOCK_DATA_SIZE, state.transferBuffer.get(),
               state.console);
  std::fclose(file);
  pressKeyToContinue(state);
}
