#include "host/startup.h"

#include <cstring>
#include <new>
#include <string>

#include "host/command_loop.h"
#include "host/link/firmware_loader.h"
#include "host/tool_state.h"
#include "host/usage.h"

int runTool(int argc, char** argv, const ToolEnvironment& environment) {
  auto state = std::make_unique<ToolState>();
  state->console = environment.console;
  const ToolConsole& console = state->console;

  console.print("looking for device\n");
  std::string reasons;
  if (!openChannel(state->channel, reasons, environment.opener)) {
    printUsage(console, reasons);
    return EXIT_NO_BRIDGE;
  }
  console.print("found device:%i\n", state->channel.instance);

  console.print("allocating 1MB buffer\n");
  state->transferBuffer.reset(new (std::nothrow) std::uint8_t[TRANSFER_BUFFER_SIZE]);
  if (!state->transferBuffer) {
    console.print("\nmalloc failed\n");
    return EXIT_NO_MEMORY;
  }
  std::memset(state->transferBuffer.get(), 0, TRANSFER_BUFFER_SIZE);

  if (argc > 1) {
    if (std::strcmp(argv[1], "-g") == 0) {
      chooseFile(*state);
    } else {
      state->imageFileName = argv[1];
    }
  }

  downloadFirmware(state->channel, environment.firmwareText);
  selectInterface(state->channel, 0, 1);
  return runCommandLoop(*state);
}
