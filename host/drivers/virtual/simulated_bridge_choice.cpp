#include "host/drivers/virtual/simulated_bridge_choice.h"

#include <cstring>

#include "sim/reference/reference_bridge.h"
#if defined(NANDBRIDGE_HAVE_CHIP)
#include "sim/fx2/chip_bridge.h"
#endif

const char* const DEFAULT_SIMULATED_BRIDGE = "reference";

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
