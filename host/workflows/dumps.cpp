// Whole-device and main-area dumps: one read setup and one counted read per chunk, each
// chunk written to the file as soon as it arrives.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "host/link/flash_operations.h"
#include "host/link/nand_geometry.h"
#include "host/workflows/workflow_report.h"
#include "host/workflows/workflows.h"

namespace {

constexpr std::uint32_t PROGRESS_PERIOD = 0x20000;  // one dot per 128 KiB of main area
constexpr std::uint32_t PROGRESS_PHASE = 0x10000;

void reportWriteFailure(ToolState& state, int error) {
  state.console.print("\nWriting the file failed at offset %08X: %s\n",
                      static_cast<unsigned>(state.flashOffset), std::strerror(error));
  pressKeyToContinue(state);
}

// `chunkSize` bytes read at each `chunkStep` of main-area offset, `chunks` times.
void dumpToFile(ToolState& state, std::uint32_t chunks, std::uint32_t chunkSize,
                std::uint32_t chunkStep, const char* chunkName) {
  state.flashOffset = 0;
  const char* name = state.imageFileName;
  std::FILE* file = (name != nullptr && *name != '\0') ? std::fopen(name, "wb") : nullptr;
  if (file == nullptr) {
    state.console.print("fopen failed\n");
    return;
  }
  std::uint8_t* buffer = state.transferBuffer.get();
  for (std::uint32_t i = 0; i < chunks; ++i) {
    if (!sendReadAddress(state.channel, state.flashOffset)) {
      std::fclose(file);
      state.console.print("\n");
      stopAtFailedStep(state, "Read setup at " + hex8(state.flashOffset));
      return;
    }
    if (!readBytes(state.channel, buffer, chunkSize)) {
      std::fclose(file);
      state.console.print("\n");
      stopAtFailedStep(state, std::string(chunkName) + " read at " + hex8(state.flashOffset));
      return;
    }
    if (std::fwrite(buffer, 1, chunkSize, file) != chunkSize) {
      const int error = errno;
      std::fclose(file);
      reportWriteFailure(state, error);
      return;
    }
    state.flashOffset += chunkStep;
    if (state.flashOffset % PROGRESS_PERIOD == PROGRESS_PHASE) state.console.print(".");
  }
  // Buffered bytes reach the disk only here, so a full disk may show at the close.
  errno = 0;
  if (std::fclose(file) != 0) reportWriteFailure(state, errno);
}

}  // namespace

void dumpDevice(ToolState& state) {
  dumpToFile(state, BLOCK_COUNT, BLOCK_RAW_SIZE, BLOCK_DATA_SIZE, "Block");
}

void dumpMainArea(ToolState& state) {
  dumpToFile(state, MAIN_AREA_SIZE / PAGE_DATA_SIZE, PAGE_DATA_SIZE, PAGE_DATA_SIZE, "Page");
}
