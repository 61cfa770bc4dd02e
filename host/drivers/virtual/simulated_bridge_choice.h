#pragma once
// Which simulated bridge the virtual backend runs: the packet-level reference bridge or the
// FX2 chip model running the real firmware, named by NANDBRIDGE_SIM_BRIDGE.
#include <memory>
#include <string>

#include "sim/nand/nand_flash.h"
#include "sim/simulated_device.h"

// The bridge used when NANDBRIDGE_SIM_BRIDGE is unset or empty.
extern const char* const DEFAULT_SIMULATED_BRIDGE;

// `name` is "reference" or "chip" (null or empty: the default). Null, with `error` set, for
// another name or for "chip" in a build without the chip model.
std::unique_ptr<sim::SimulatedDevice> makeSimulatedBridge(const char* name, sim::NandFlash& flash,
                                                          std::string& error);
