#include "host/link/bridge_packets.h"
#include "host/link/flash_operations.h"
#include "host/link/nand_geometry.h"
#include "host/platform/sleep.h"
#include "host/workflows/confirmation.h"
#include "host/workflows/workflow_report.h"
#include "host/workflows/workflows.h"

namespace {
constexpr unsigned ERASE_WAIT_MS = 5;  // the host never polls ready; the erase is done by then
}

void eraseBlock(ToolState& state) {
  const std::uint32_t block = state.flashOffset & BLOCK_ALIGN_MASK;
  if (refuseBeyondFlash(state, state.flashOffset)) return;
  if (!confirmBlockAction(state, "Erase", block)) return;
  state.console.print("Erasing block:%08X\n", static_cast<unsigned>(block));
  std::uint8_t* buffer = state.transferBuffer.get();
  if (!sendBlockErase(state.channel, block)) {
    stopAtFailedStep(state, "Erase command for block " + hex8(block));
    return;
  }
  sleepMilliseconds(ERASE_WAIT_MS);
  if (!sendCommand(state.channel, NAND_READ_STATUS)) {
    stopAtFailedStep(state, "Read status command");
    return;
  }
  if (!readBytes(state.channel, buffer, 4)) {
    stopAtFailedStep(state, "Status read");
    return;
  }
  state.console.print((buffer[0] & NAND_STATUS_FAILED) ? "Erase failed\n" : "Erase succesfull\n");
  pressKeyToContinue(state);
}
