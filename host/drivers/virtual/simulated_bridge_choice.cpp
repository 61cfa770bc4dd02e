#include "host/drivers/virtual/simulated_bridge_choice.h"

#include <cstring>

#include "sim/reference/reference_bridge.h"
#if defined(NANDBRIDGE_HAVE_CHIP)
#include "sim/fx2/chip_bridge.h"
#endif

// The chip model running the firmware the tool downloads is what a user should see by
// default; the packet-level reference stays selectable, and is the fallback of a build
// without the chip model.
#if defined(NANDBRIDGE_HAVE_CHIP)
const char* const DEFAULT_SIMULATED_BRIDGE = "chip";
#else
const char* const DEFAULT_SIMULATED_BRIDGE = "reference";
#endif

std::unique_ptr<sim::SimulatedDevice> makeSimulatedBridge(const char* name, sim::NandFlash& flash,
                                                          std::string& error) {
  if (name == nullptr || *name == '\0') name = DEFAULT_SIMULATED_BRIDGE;
  if (std::strcmp(name, "reference") == 0) return std::make_unique<sim::ReferenceBridge>(flash);
  if (std::strcmp(name, "chip") == 0) {
#if defined(NANDBRIDGE_HAVE_CHIP)
    return sim::makeChipBridge(flash);
#else
    error = "NANDBRIDGE_SIM_BRIDGE=chip: this build has no FX2 chip model";
    return nullptr;
#endif
  }
  error = std::string("NANDBRIDGE_SIM_BRIDGE=") + name + ": unknown bridge (use reference or chip)";
  return nullptr;
}
