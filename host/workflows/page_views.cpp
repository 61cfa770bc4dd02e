// The three small reads shown in the hex view: one page, the status byte, the ID bytes.
#include <cstring>

#include "host/link/bridge_packets.h"
#include "host/link/flash_operations.h"
#include "host/link/nand_geometry.h"
#include "host/workflows/workflow_report.h"
#include "host/workflows/workflows.h"

namespace {
// Small reads clear the start of the view first, so a read that delivers nothing shows zeros.
constexpr std::size_t SMALL_READ_CLEAR = 256;
}  // namespace

void viewPage(ToolState& state) {
  if (refuseBeyondFlash(state, state.flashOffset)) return;
  state.console.print("BUSY\n");
  if (!sendReadAddress(state.channel, state.flashOffset)) {
    stopAtFailedStep(state, "Read setup at " + hex8(state.flashOffset));
    return;
  }
  if (!readBytes(state.channel, state.transferBuffer.get(), PAGE_RAW_SIZE)) {
    stopAtFailedStep(state, "Page read at " + hex8(state.flashOffset));
  }
}

void viewStatus(ToolState& state) {
  state.console.print("BUSY reading status\n");
  std::memset(state.transferBuffer.get(), 0, SMALL_READ_CLEAR);
  if (!sendCommand(state.channel, NAND_RESET)) {
    stopAtFailedStep(state, "Reset command");
    return;
  }
  if (!sendCommand(state.channel, NAND_READ_STATUS)) {
    stopAtFailedStep(state, "Read status command");
    return;
  }
  if (!readBytes(state.channel, state.transferBuffer.get(), 1)) {
    stopAtFailedStep(state, "Status read");
  }
}

void viewId(ToolState& state) {
  state.console.print("BUSY reading ID\n");
  std::memset(state.transferBuffer.get(), 0, SMALL_READ_CLEAR);
  if (!sendCommandAddress(state.channel, NAND_READ_ID)) {
    stopAtFailedStep(state, "Read ID command");
    return;
  }
  if (!readBytes(state.channel, state.transferBuffer.get(), 4)) {
    stopAtFailedStep(state, "ID read");
  }
}
