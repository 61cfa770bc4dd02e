#pragma once
// The driver seam over a simulated bridge in this process: vendor requests become control
// transfers, pipes 2, 3 and 5 become endpoints 0x02, 0x04 and 0x88, RAM downloads become
// request 0xA0 in chunks. While it exists the host's sleeps pass on the simulated clock.
#include <memory>
#include <string>

#include "host/drivers/driver_device.h"
#include "sim/nand/nand_flash.h"
#include "sim/simulated_device.h"

class VirtualDevice final : public DriverDevice {
 public:
  // The largest data stage of one RAM download request.
  static constexpr std::uint32_t DOWNLOAD_CHUNK = 4096;

  // `flash` may be null when the bridge's flash is owned elsewhere; it outlives `bridge`.
  VirtualDevice(std::unique_ptr<sim::NandFlash> flash, std::unique_ptr<sim::SimulatedDevice> bridge);
  ~VirtualDevice() override;
  VirtualDevice(const VirtualDevice&) = delete;
  VirtualDevice& operator=(const VirtualDevice&) = delete;

  bool vendorRequest(const VendorRequestRecord& record) override;
  bool selectInterface(std::uint8_t interfaceNumber, std::uint8_t alternateSetting) override;
  bool bulkWrite(std::uint32_t pipe, const std::uint8_t* source, std::uint32_t count) override;
  bool bulkRead(std::uint32_t pipe, std::uint8_t* destination, std::uint32_t count) override;
  bool anchorDownload(std::uint16_t address, const std::uint8_t* source,
                      std::uint32_t count) override;
  std::string lastError() const override { return error_; }

  sim::SimulatedDevice& bridge() { return *bridge_; }

 private:
  bool result(bool ok);
  bool fail(std::string message);

  std::unique_ptr<sim::NandFlash> flash_;  // declared first: the bridge goes first
  std::unique_ptr<sim::SimulatedDevice> bridge_;
  std::string error_;
};
