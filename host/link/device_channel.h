#pragma once
// The driver channel: one opened bridge instance and one operation per driver request. The
// handle stays open until the process ends; nothing here closes it early.
#include <cstdint>
#include <memory>
#include <string>

#include "host/drivers/driver_device.h"
#include "host/drivers/driver_select.h"
#include "host/link/vendor_request_record.h"

inline constexpr int CHANNEL_INSTANCE_COUNT = 6;  // instances 0 to 5 are tried, no more

struct DeviceChannel {
  std::unique_ptr<DriverDevice> device;
  int instance = -1;
};

// Tries instances 0..5 in order and keeps the first that opens. Returns false when none
// does; `reasons` then lists, one per line, what the opener reported for instances that
// were there but could not be opened (empty when nothing was there at all).
bool openChannel(DeviceChannel& channel, std::string& reasons,
                 DriverOpener opener = openDriverInstance);

bool vendorRequest(DeviceChannel& channel, const VendorRequestRecord& record);
bool selectInterface(DeviceChannel& channel, std::uint8_t interfaceNumber,
                     std::uint8_t alternateSetting);
bool bulkWrite(DeviceChannel& channel, std::uint32_t pipe, const std::uint8_t* source,
               std::uint32_t count);
bool bulkRead(DeviceChannel& channel, std::uint32_t pipe, std::uint8_t* destination,
              std::uint32_t count);
bool anchorDownload(DeviceChannel& channel, std::uint16_t address, const std::uint8_t* source,
                    std::uint32_t count);

// The driver's message for the last failed call, empty when it gave none.
std::string channelError(const DeviceChannel& channel);
