#pragma once
// The simulated bridge built from the FX2 chip model and the real firmware it is given over
// request 0xA0: the USB device side that the virtual driver backend talks to.
#include <memory>
#include <string>

#include "sim/fx2/fx2_chip.h"
#include "sim/nand/nand_flash.h"
#include "sim/simulated_device.h"

namespace fx2 {

class ChipBridge final : public sim::SimulatedDevice {
 public:
  static constexpr sim::SimTime DEFAULT_STALL_TIME = sim::milliseconds(5000);

  explicit ChipBridge(sim::NandFlash& flash) : chip_(flash) {}

  bool controlOut(std::uint8_t request, std::uint16_t value, std::uint16_t index,
                  const std::uint8_t* data, std::uint16_t length) override;
  bool setInterface(std::uint8_t interfaceNumber, std::uint8_t alternateSetting) override;
  bool bulkOut(std::uint8_t endpoint, const std::uint8_t* data, std::uint32_t length) override;
  bool bulkIn(std::uint8_t endpoint, std::uint8_t* data, std::uint32_t length,
              std::uint32_t& transferred) override;
  void advanceHostTime(sim::SimTime duration) override { chip_.runFor(duration); }
  sim::SimTime now() const override { return chip_.now(); }
  const std::string& lastError() const override { return error_; }

  // A transfer fails after this much simulated time without progress.
  void setStallTime(sim::SimTime t) { stallTime_ = t; }
  Fx2Chip& chip() { return chip_; }

 private:
  EndpointFifo* bulkEndpoint(std::uint8_t address, bool in);
  bool stalled(sim::SimTime lastProgress, const char* what, std::uint8_t endpoint);
  void resumeBus();

  Fx2Chip chip_;
  std::string error_;
  sim::SimTime stallTime_ = DEFAULT_STALL_TIME;
  int alternateSetting_ = -1;
};

}  // namespace fx2

namespace sim {
// The chip bridge as the virtual backend picks it (NANDBRIDGE_SIM_BRIDGE=chip).
std::unique_ptr<SimulatedDevice> makeChipBridge(NandFlash& flash);
}  // namespace sim
