#include <cstdlib>

#include "host/drivers/driver_select.h"
#include "host/drivers/virtual/simulated_bridge_choice.h"
#include "host/drivers/virtual/virtual_device.h"

std::unique_ptr<DriverDevice> openVirtualInstance(int instance, std::string& error) {
  error.clear();
  // The simulated bridge is the only one: instance 0.
  if (instance != 0) return nullptr;
  const char* imagePath = std::getenv("NANDBRIDGE_SIM");
  if (imagePath == nullptr || *imagePath == '\0') {
    error = "NANDBRIDGE_SIM does not name a flash image";
    return nullptr;
  }
  auto flash = std::make_unique<sim::NandFlash>();
  if (!flash->openImage(imagePath, error)) return nullptr;
  auto bridge = makeSimulatedBridge(std::getenv("NANDBRIDGE_SIM_BRIDGE"), *flash, error);
  if (!bridge) return nullptr;
  return std::make_unique<VirtualDevice>(std::move(flash), std::move(bridge));
}
