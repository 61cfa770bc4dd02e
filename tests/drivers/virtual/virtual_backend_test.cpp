#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <numeric>
#include <vector>

#include "host/drivers/driver_select.h"
#include "host/drivers/virtual/simulated_bridge_choice.h"
#include "host/drivers/virtual/virtual_device.h"
#include "host/platform/sleep.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A bridge that writes down what reaches it.
struct Log {
  std::vector<std::string> calls;
  std::vector<Bytes> data;
  sim::SimTime hostTime = 0;
};

class RecordingBridge final : public sim::SimulatedDevice {
 public:
  explicit RecordingBridge(std::shared_ptr<Log> log) : log_(std::move(log)) {}
  bool controlOut(std::uint8_t request, std::uint16_t value, std::uint16_t index,
                  const std::uint8_t* data, std::uint16_t length) override {
    return note("control %02X %04X %04X %u", request, value, index, length, data, length);
  }
  bool setInterface(std::uint8_t i, std::uint8_t alt) override {
    return note("interface %u %u", i, alt, 0, 0, nullptr, 0);
  }
  bool bulkOut(std::uint8_t endpoint, const std::uint8_t* data, std::uint32_t length) override {
    return note("out %02X %u", endpoint, length, 0, 0, data, length);
  }
  bool bulkIn(std::uint8_t endpoint, std::uint8_t* data, std::uint32_t length,
              std::uint32_t& transferred) override {
    transferred = length;
    std::fill_n(data, length, 0x5A);
    return note("in %02X %u", endpoint, length, 0, 0, nullptr, 0);
  }
  void advanceHostTime(sim::SimTime d) override { log_->hostTime += d; }
  sim::SimTime now() const override { return log_->hostTime; }
  const std::string& lastError() const override { return error_; }

  bool refuse = false;

 private:
  bool note(const char* pattern, unsigned a, unsigned b, unsigned c, unsigned d,
            const std::uint8_t* data, std::uint32_t length) {
    char text[100];
    std::snprintf(text, sizeof text, pattern, a, b, c, d);
    log_->calls.push_back(text);
    log_->data.push_back(data ? Bytes(data, data + length) : Bytes{});
    if (refuse) error_ = "refused by the bridge";
    return !refuse;
  }
  std::shared_ptr<Log> log_;
  std::string error_;
};

struct Recorded {
  std::shared_ptr<Log> log = std::make_shared<Log>();
  RecordingBridge* bridge = nullptr;
  std::unique_ptr<VirtualDevice> device;
  Recorded() {
    auto b = std::make_unique<RecordingBridge>(log);
    bridge = b.get();
    device = std::make_unique<VirtualDevice>(nullptr, std::move(b));
  }
};

struct MappingCase {
  const char* name;
  std::function<bool(DriverDevice&)> call;
  const char* expected;  // the bridge call, or null when the device refuses it itself
};

TEST(VirtualDevice, MapsEachOperationOntoTheBridge) {
  Bytes buffer(16, 0);
  VendorRequestRecord hold;
  hold.request = 0xA0;
  hold.value = 0xE600;
  hold.length = 1;
  hold.data = 0x01;
  VendorRequestRecord tooLong = hold;
  tooLong.length = 2;
  const MappingCase cases[] = {
      {"vendor request", [&](DriverDevice& d) { return d.vendorRequest(hold); }, "control A0 E600 0000 1"},
      {"vendor request with more data than the record has",
       [&](DriverDevice& d) { return d.vendorRequest(tooLong); }, nullptr},
      {"select interface", [](DriverDevice& d) { return d.selectInterface(0, 1); }, "interface 0 1"},
      {"pipe 2", [&](DriverDevice& d) { return d.bulkWrite(2, buffer.data(), 3); }, "out 02 3"},
      {"pipe 3", [&](DriverDevice& d) { return d.bulkWrite(3, buffer.data(), 6); }, "out 04 6"},
      {"pipe 5", [&](DriverDevice& d) { return d.bulkRead(5, buffer.data(), 16); }, "in 88 16"},
      {"write to pipe 5", [&](DriverDevice& d) { return d.bulkWrite(5, buffer.data(), 1); }, nullptr},
      {"write to pipe 0", [&](DriverDevice& d) { return d.bulkWrite(0, buffer.data(), 1); }, nullptr},
      {"read from pipe 2", [&](DriverDevice& d) { return d.bulkRead(2, buffer.data(), 1); }, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Recorded r;
    const bool ok = c.call(*r.device);
    if (c.expected) {
      EXPECT_TRUE(ok);
      ASSERT_EQ(r.log->calls.size(), 1u);
      EXPECT_EQ(r.log->calls[0], c.expected);
    } else {
      EXPECT_FALSE(ok);
      EXPECT_TRUE(r.log->calls.empty());
      EXPECT_FALSE(r.device->lastError().empty());
    }
  }
}

TEST(VirtualDevice, VendorRequestCarriesTheRecordsDataByte) {
  Recorded r;
  VendorRequestRecord release;
  release.request = 0xA0;
  release.value = 0xE600;
  release.length = 1;
  release.data = 0x00;
  ASSERT_TRUE(r.device->vendorRequest(release));
  EXPECT_EQ(r.log->data[0], Bytes{0x00});
}

TEST(VirtualDevice, RamDownloadGoesOutInChunksOfAtMost4096Bytes) {
  Recorded r;
  Bytes code(10000);
  std::iota(code.begin(), code.end(), std::uint8_t(0));
  ASSERT_TRUE(r.device->anchorDownload(0x0100, code.data(), std::uint32_t(code.size())));
  EXPECT_EQ(r.log->calls, (std::vector<std::string>{"control A0 0100 0000 4096",
                                                    "control A0 1100 0000 4096",
                                                    "control A0 2100 0000 1808"}));
  Bytes joined;
  for (const auto& d : r.log->data) joined.insert(joined.end(), d.begin(), d.end());
  EXPECT_EQ(joined, code);

  Recorded past;
  EXPECT_FALSE(past.device->anchorDownload(0xFF00, code.data(), 0x200));
  EXPECT_TRUE(past.log->calls.empty());
}

TEST(VirtualDevice, BridgeFailuresKeepTheBridgesMessage) {
  Recorded r;
  r.bridge->refuse = true;
  Bytes code(5000);
  EXPECT_FALSE(r.device->anchorDownload(0, code.data(), 5000));
  EXPECT_EQ(r.log->calls.size(), 1u) << "no chunk after a refused one";
  EXPECT_EQ(r.device->lastError(), "refused by the bridge");
}

TEST(VirtualDevice, SleepsPassOnTheSimulatedClockWhileTheDeviceLives) {
  auto log = std::make_shared<Log>();
  {
    Recorded r;
    log = r.log;
    sleepMilliseconds(7);
    EXPECT_EQ(log->hostTime, sim::milliseconds(7));
  }
  sleepMilliseconds(1);  // the hook is gone with the device: a real, short sleep
  EXPECT_EQ(log->hostTime, sim::milliseconds(7));
}

class VirtualOpenerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("virtual_backend_test_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    image = (dir / "flash.bin").string();
    setenv("NANDBRIDGE_SIM", image.c_str(), 1);
    unsetenv("NANDBRIDGE_SIM_BRIDGE");
  }
  void TearDown() override {
    unsetenv("NANDBRIDGE_SIM");
    unsetenv("NANDBRIDGE_SIM_BRIDGE");
    std::filesystem::remove_all(dir);
  }
  std::filesystem::path dir;
  std::string image;
};

TEST_F(VirtualOpenerTest, TheSimulatedBridgeIsInstanceZeroOnly) {
  std::string error;
  for (int n : {1, 2, 5}) {
    EXPECT_EQ(openDriverInstance(n, error), nullptr) << n;
    EXPECT_TRUE(error.empty()) << error;
  }
  auto device = openDriverInstance(0, error);
  ASSERT_NE(device, nullptr) << error;
  EXPECT_EQ(std::filesystem::file_size(image), sim::NandFlash::IMAGE_SIZE);
}

TEST_F(VirtualOpenerTest, StartUpSequenceThenStatusReadThroughTheDriverSeam) {
  // The reference bridge answers packets whatever code was downloaded; the chip would need
  // the firmware (its own tests run it).
  setenv("NANDBRIDGE_SIM_BRIDGE", "reference", 1);
  std::string error;
  auto device = openDriverInstance(0, error);
  ASSERT_NE(device, nullptr) << error;
  VendorRequestRecord cpucs;
  cpucs.request = 0xA0;
  cpucs.value = 0xE600;
  cpucs.length = 1;
  cpucs.data = 1;
  const Bytes code(300, 0x00);
  ASSERT_TRUE(device->vendorRequest(cpucs)) << device->lastError();
  ASSERT_TRUE(device->anchorDownload(0, code.data(), 300)) << device->lastError();
  cpucs.data = 0;
  ASSERT_TRUE(device->vendorRequest(cpucs)) << device->lastError();
  ASSERT_TRUE(device->selectInterface(0, 1)) << device->lastError();

  const Bytes status{0x52, 0x70, 0, 0}, read{0x12, 0x00, 0x01};
  std::uint8_t byte = 0;
  ASSERT_TRUE(device->bulkWrite(3, status.data(), 4));
  ASSERT_TRUE(device->bulkWrite(3, read.data(), 3));
  ASSERT_TRUE(device->bulkRead(5, &byte, 1)) << device->lastError();
  EXPECT_EQ(byte, 0xC0);
  // Reading what was never announced fails with the bridge's message.
  EXPECT_FALSE(device->bulkRead(5, &byte, 1));
  EXPECT_NE(device->lastError().find("bridge stalled"), std::string::npos) << device->lastError();

  auto& bridge = static_cast<VirtualDevice&>(*device).bridge();
  const sim::SimTime before = bridge.now();
  sleepMilliseconds(5);
  EXPECT_EQ(bridge.now() - before, sim::milliseconds(5));
}

struct OpenFailureCase {
  const char* name;
  std::function<void(const std::string& image)> setup;
  const char* message;
};

TEST_F(VirtualOpenerTest, OpenFailuresSayWhy) {
  const OpenFailureCase cases[] = {
      {"no image named", [](const std::string&) { setenv("NANDBRIDGE_SIM", "", 1); }, "NANDBRIDGE_SIM"},
      {"image of the wrong size",
       [](const std::string& path) {
         std::FILE* f = std::fopen(path.c_str(), "wb");
         std::fputs("short", f);
         std::fclose(f);
       },
       "flash.bin"},
      {"unknown bridge", [](const std::string&) { setenv("NANDBRIDGE_SIM_BRIDGE", "fpga", 1); }, "fpga"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    c.setup(image);
    std::string error;
    EXPECT_EQ(openVirtualInstance(0, error), nullptr);
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
}

TEST(SimulatedBridgeChoice, ChipOnlyWhereTheBuildHasIt) {
  sim::NandFlash flash;
  std::string error;
  auto chip = makeSimulatedBridge("chip", flash, error);
#if defined(NANDBRIDGE_HAVE_CHIP)
  EXPECT_NE(chip, nullptr) << error;
#else
  EXPECT_EQ(chip, nullptr);
  EXPECT_NE(error.find("no FX2 chip model"), std::string::npos) << error;
#endif
  EXPECT_NE(makeSimulatedBridge(nullptr, flash, error), nullptr) << "the default exists";
  EXPECT_NE(makeSimulatedBridge("reference", flash, error), nullptr);
}

}  // namespace
