#include "host/drivers/driver_select.h"

#include <cstdlib>

std::unique_ptr<DriverDevice> openDriverInstance(int instance, std::string& error) {
  const char* sim = std::getenv("NANDBRIDGE_SIM");
  if (sim != nullptr && *sim != '\0') {
#if defined(NANDBRIDGE_HAVE_VIRTUAL)
    return openVirtualInstance(instance, error);
#else
    error = "this build has no simulated bridge";
    return nullptr;
#endif
  }
#if defined(_WIN32) && defined(NANDBRIDGE_HAVE_EZUSB)
  return openEzusbInstance(instance, error);
#elif defined(NANDBRIDGE_HAVE_LIBUSB)
  return openLibusbInstance(instance, error);
#else
  (void)instance;
  error.clear();
  return nullptr;
#endif
}
