#pragma once
// A tool state on a recording device and a scripted console, with a zeroed transfer buffer.
#include <memory>

#include "host/platform/sleep.h"
#include "host/tool_state.h"
#include "tests/host/recording_device.h"
#include "tests/host/scripted_console.h"

struct ToolFixture {
  ToolFixture() {
    recorder->installSleepLog();
    state.channel.device = std::make_unique<RecordingDevice>(recorder);
    state.channel.instance = 0;
    state.transferBuffer = std::make_unique<std::uint8_t[]>(TRANSFER_BUFFER_SIZE);
    state.console = console.console();
  }
  ~ToolFixture() { setSleepHook(nullptr, nullptr); }
  std::uint8_t* buffer() { return state.transferBuffer.get(); }

  std::shared_ptr<DeviceRecorder> recorder = std::make_shared<DeviceRecorder>();
  ScriptedConsole console;
  ToolState state;
};
