#include "tests/drivers/libusb/fake_libusb.h"

#include <libusb.h>

#include <memory>

struct libusb_context {
  int unused = 0;
};
struct libusb_device {
  int position = 0;
};
struct libusb_device_handle {
  int position = 0;
};

namespace {
FakeLibusb state;
std::vector<std::unique_ptr<libusb_device>> deviceObjects;

void record(std::string name, std::vector<int> args, std::vector<std::uint8_t> data = {}) {
  state.calls.push_back({std::move(name), std::move(args), std::move(data)});
}

FakeTransferResult nextResult() {
  if (state.transferResults.empty()) return {};
  FakeTransferResult r = state.transferResults.front();
  state.transferResults.pop_front();
  return r;
}
}  // namespace

FakeLibusb& fakeLibusb() { return state; }

void resetFakeLibusb() {
  state = FakeLibusb{};
  deviceObjects.clear();
}

std::vector<std::string> FakeLibusb::names() const {
  std::vector<std::string> out;
  for (const auto& c : calls) out.push_back(c.name);
  return out;
}

const FakeCall* FakeLibusb::find(const std::string& name) const {
  for (const auto& c : calls)
    if (c.name == name) return &c;
  return nullptr;
}

extern "C" {

int libusb_init(libusb_context** context) {
  record("init", {});
  *context = new libusb_context;
  ++state.liveContexts;
  return 0;
}

void libusb_exit(libusb_context* context) {
  record("exit", {});
  delete context;
  --state.liveContexts;
}

ssize_t libusb_get_device_list(libusb_context*, libusb_device*** list) {
  record("get_device_list", {});
  deviceObjects.clear();
  auto* array = new libusb_device*[state.devices.size() + 1];
  for (std::size_t i = 0; i < state.devices.size(); ++i) {
    deviceObjects.push_back(std::make_unique<libusb_device>(libusb_device{static_cast<int>(i)}));
    array[i] = deviceObjects.back().get();
  }
  array[state.devices.size()] = nullptr;
  *list = array;
  state.listedReferences += static_cast<int>(state.devices.size());
  return static_cast<ssize_t>(state.devices.size());
}

void libusb_free_device_list(libusb_device** list, int unrefDevices) {
  record("free_device_list", {unrefDevices});
  if (unrefDevices) {
    for (libusb_device** d = list; *d != nullptr; ++d) --state.listedReferences;
  }
  delete[] list;
}

int libusb_get_device_descriptor(libusb_device* device, libusb_device_descriptor* descriptor) {
  *descriptor = {};
  descriptor->idVendor = state.devices[device->position].vendor;
  descriptor->idProduct = state.devices[device->position].product;
  return 0;
}

int libusb_open(libusb_device* device, libusb_device_handle** handle) {
  record("open", {device->position});
  const int result = state.devices[device->position].openResult;
  if (result != 0) return result;
  *handle = new libusb_device_handle{device->position};
  ++state.liveHandles;
  return 0;
}

void libusb_close(libusb_device_handle* handle) {
  record("close", {handle->position});
  delete handle;
  --state.liveHandles;
}

int libusb_set_auto_detach_kernel_driver(libusb_device_handle*, int enable) {
  record("set_auto_detach_kernel_driver", {enable});
  return 0;
}

int libusb_claim_interface(libusb_device_handle*, int interfaceNumber) {
  record("claim_interface", {interfaceNumber});
  return state.claimResult;
}

int libusb_release_interface(libusb_device_handle*, int interfaceNumber) {
  record("release_interface", {interfaceNumber});
  return 0;
}

int libusb_set_interface_alt_setting(libusb_device_handle*, int interfaceNumber,
                                     int alternateSetting) {
  record("set_interface_alt_setting", {interfaceNumber, alternateSetting});
  return state.altSettingResult;
}

int libusb_control_transfer(libusb_device_handle*, uint8_t requestType, uint8_t request,
                            uint16_t value, uint16_t index, unsigned char* data, uint16_t length,
                            unsigned int timeout) {
  record("control_transfer",
         {requestType, request, value, index, length, static_cast<int>(timeout)},
         std::vector<std::uint8_t>(data, data + length));
  const FakeTransferResult r = nextResult();
  if (r.result != 0) return r.result;
  return r.transferred < 0 ? length : r.transferred;
}

int libusb_bulk_transfer(libusb_device_handle*, unsigned char endpoint, unsigned char* data,
                         int length, int* transferred, unsigned int timeout) {
  const bool in = (endpoint & 0x80) != 0;
  record("bulk_transfer", {endpoint, length, static_cast<int>(timeout)},
         in ? std::vector<std::uint8_t>{} : std::vector<std::uint8_t>(data, data + length));
  const FakeTransferResult r = nextResult();
  *transferred = r.transferred < 0 ? length : r.transferred;
  if (in) {
    for (int i = 0; i < *transferred; ++i) data[i] = state.inFill;
  }
  return r.result;
}

const char* libusb_strerror(int code) {
  switch (code) {
    case LIBUSB_ERROR_IO: return "fake: input/output error";
    case LIBUSB_ERROR_ACCESS: return "fake: access denied";
    case LIBUSB_ERROR_BUSY: return "fake: resource busy";
    case LIBUSB_ERROR_TIMEOUT: return "fake: timed out";
    case LIBUSB_ERROR_PIPE: return "fake: pipe error";
    case LIBUSB_ERROR_NO_DEVICE: return "fake: no device";
    default: return "fake: other error";
  }
}

}  // extern "C"
