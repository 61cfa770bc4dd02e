#pragma once
// The USB device side of a simulated bridge, as the virtual driver backend sees it.
// Implemented by the packet-level reference bridge (sim/reference) and by the FX2 chip
// model running the real firmware (sim/fx2). Endpoint numbers are USB addresses:
// 0x02 and 0x04 OUT, 0x88 IN.
#include <cstdint>
#include <string>

#include "sim/sim_time.h"

namespace sim {

class SimulatedDevice {
 public:
  virtual ~SimulatedDevice() = default;

  // A host-to-device vendor request on endpoint 0 with its data stage. Request 0xA0 is the
  // chip's own firmware load: `value` is the address written (RAM or CPUCS at 0xE600).
  virtual bool controlOut(std::uint8_t request, std::uint16_t value, std::uint16_t index,
                          const std::uint8_t* data, std::uint16_t length) = 0;

  // SET_INTERFACE. The bulk endpoints answer only under interface 0, alternate setting 1.
  virtual bool setInterface(std::uint8_t interfaceNumber, std::uint8_t alternateSetting) = 0;

  // Bulk transfers, split into packets of the endpoint's size. A write completes when the
  // device has accepted every byte; a read ends after `length` bytes or on a short packet,
  // with `transferred` telling how many arrived. Both fail (returning false, with
  // lastError() set) when the device makes no progress for its stall time.
  virtual bool bulkOut(std::uint8_t endpoint, const std::uint8_t* data, std::uint32_t length) = 0;
  virtual bool bulkIn(std::uint8_t endpoint, std::uint8_t* data, std::uint32_t length,
                      std::uint32_t& transferred) = 0;

  // Time the host spends outside driver calls (its sleeps) passes on the simulated clock.
  virtual void advanceHostTime(SimTime duration) = 0;
  virtual SimTime now() const = 0;

  virtual const std::string& lastError() const = 0;
};

}  // namespace sim
