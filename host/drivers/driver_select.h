#pragma once
// Picks the backend for this run: the simulated bridge when NANDBRIDGE_SIM names a flash
// image, otherwise the platform's real driver (EZ-USB on Windows, libusb elsewhere).
#include "host/drivers/driver_device.h"

std::unique_ptr<DriverDevice> openDriverInstance(int instance, std::string& error);

// The backends' own openers (each defined in its folder; absent backends are not linked).
std::unique_ptr<DriverDevice> openVirtualInstance(int instance, std::string& error);
std::unique_ptr<DriverDevice> openLibusbInstance(int instance, std::string& error);
std::unique_ptr<DriverDevice> openEzusbInstance(int instance, std::string& error);
