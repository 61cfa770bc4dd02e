// The libusb backend against the recording stand-in: which device an instance opens, and what
// each operation puts on the bus.
#include <gtest/gtest.h>
#include <libusb.h>

#include <cctype>
#include <numeric>

#include "host/drivers/driver_select.h"
#include "tests/drivers/libusb/fake_libusb.h"

namespace {

const FakeUsbDevice BRIDGE{};
const FakeUsbDevice OTHER_CYPRESS{0x04B4, 0x1004, 0};
const FakeUsbDevice OTHER_VENDOR_SAME_PRODUCT{0x1234, 0x8613, 0};

FakeUsbDevice bridgeOpening(int result) { return {0x04B4, 0x8613, result}; }

// Everything handed out has been given back.
void expectNothingLeaked() {
  EXPECT_EQ(fakeLibusb().liveContexts, 0);
  EXPECT_EQ(fakeLibusb().liveHandles, 0);
  EXPECT_EQ(fakeLibusb().listedReferences, 0);
}

struct OpenCase {
  const char* what;
  std::vector<FakeUsbDevice> bus;
  int instance;
  int openedPosition;  // -1: nothing opens
  const char* error;   // expected part of the error text ("" = must be empty)
  bool wholeError = false;  // the error text is exactly `error`
};

class LibusbOpenTest : public testing::TestWithParam<OpenCase> {
 protected:
  void SetUp() override { resetFakeLibusb(); }
};

TEST_P(LibusbOpenTest, OpensTheNthBridgeInEnumerationOrder) {
  const OpenCase& c = GetParam();
  fakeLibusb().devices = c.bus;
  std::string error = "stale";
  {
    auto device = openLibusbInstance(c.instance, error);
    EXPECT_EQ(device != nullptr, c.openedPosition >= 0);
    if (c.openedPosition >= 0) {
      const FakeCall* open = fakeLibusb().find("open");
      ASSERT_NE(open, nullptr);
      EXPECT_EQ(open->args[0], c.openedPosition);
      EXPECT_EQ(fakeLibusb().liveHandles, 1);
    }
    if (*c.error == '\0' || c.wholeError) {
      EXPECT_EQ(error, c.error);
    } else {
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
  }
  expectNothingLeaked();
}

INSTANTIATE_TEST_SUITE_P(
    Bus, LibusbOpenTest,
    testing::Values(
        OpenCase{"single bridge", {BRIDGE}, 0, 0, ""},
        OpenCase{"others skipped", {OTHER_CYPRESS, BRIDGE, OTHER_VENDOR_SAME_PRODUCT, BRIDGE},
                 1, 3, ""},
        OpenCase{"fewer bridges than asked", {BRIDGE, OTHER_CYPRESS}, 1, -1, ""},
        OpenCase{"empty bus", {}, 0, -1, ""},
        OpenCase{"product id alone is not enough", {OTHER_VENDOR_SAME_PRODUCT}, 0, -1, ""},
        OpenCase{"negative instance", {BRIDGE}, -1, -1, ""},
        OpenCase{"no permission", {bridgeOpening(LIBUSB_ERROR_ACCESS)}, 0, -1,
                 "permission denied: see the README's udev section", true},
        OpenCase{"other open failure", {bridgeOpening(LIBUSB_ERROR_IO)}, 0, -1,
                 "fake: input/output error"}),
    [](const testing::TestParamInfo<OpenCase>& info) {
      std::string name = info.param.what;
      for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

// An opened bridge, with the calls of the opening forgotten.
class LibusbDeviceTest : public testing::Test {
 protected:
  void SetUp() override {
    resetFakeLibusb();
    fakeLibusb().devices = {BRIDGE};
    std::string error;
    device = openLibusbInstance(0, error);
    ASSERT_NE(device, nullptr) << error;
    fakeLibusb().calls.clear();
  }
  void TearDown() override {
    device.reset();
    expectNothingLeaked();
  }
  std::vector<FakeCall> transfers(const std::string& name) const {
    std::vector<FakeCall> out;
    for (const auto& c : fakeLibusb().calls)
      if (c.name == name) out.push_back(c);
    return out;
  }
  std::unique_ptr<DriverDevice> device;
};

TEST_F(LibusbDeviceTest, VendorRequestIsAVendorControlTransferWithTheDataByte) {
  VendorRequestRecord record;
  record.request = 0xA0;
  record.value = 0xE600;
  record.length = 1;
  record.data = 0x01;
  ASSERT_TRUE(device->vendorRequest(record));
  const auto sent = transfers("control_transfer");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].args[0], 0x40);    // vendor, host to device, device recipient
  EXPECT_EQ(sent[0].args[1], 0xA0);
  EXPECT_EQ(sent[0].args[2], 0xE600);  // wValue
  EXPECT_EQ(sent[0].args[3], 0);       // wIndex
  EXPECT_EQ(sent[0].args[4], 1);
  EXPECT_GT(sent[0].args[5], 0);       // 0 would mean no time-out at all
  EXPECT_EQ(sent[0].data, std::vector<std::uint8_t>{0x01});
}

TEST_F(LibusbDeviceTest, VendorRequestFailuresAreReported) {
  VendorRequestRecord record;
  record.request = 0xA0;
  record.value = 0xE600;
  record.length = 1;

  fakeLibusb().transferResults = {{LIBUSB_ERROR_PIPE, 0}};
  EXPECT_FALSE(device->vendorRequest(record));
  EXPECT_NE(device->lastError().find("fake: pipe error"), std::string::npos)
      << device->lastError();

  fakeLibusb().transferResults = {{0, 0}};  // accepted, but no data stage went through
  EXPECT_FALSE(device->vendorRequest(record));

  record.direction = 1;  // a record cannot receive data
  fakeLibusb().calls.clear();
  EXPECT_FALSE(device->vendorRequest(record));
  EXPECT_TRUE(transfers("control_transfer").empty());
}

TEST_F(LibusbDeviceTest, SelectInterfaceDetachesClaimsThenSetsTheAlternateSetting) {
  ASSERT_TRUE(device->selectInterface(0, 1));
  const std::vector<std::string> expected = {"set_auto_detach_kernel_driver", "claim_interface",
                                             "set_interface_alt_setting"};
  EXPECT_EQ(fakeLibusb().names(), expected);
  EXPECT_EQ(fakeLibusb().find("set_auto_detach_kernel_driver")->args, std::vector<int>{1});
  EXPECT_EQ(fakeLibusb().find("claim_interface")->args, std::vector<int>{0});
  EXPECT_EQ(fakeLibusb().find("set_interface_alt_setting")->args, (std::vector<int>{0, 1}));

  // Selecting again keeps the claim; the interface is released when the device goes.
  fakeLibusb().calls.clear();
  ASSERT_TRUE(device->selectInterface(0, 1));
  EXPECT_EQ(fakeLibusb().names(), std::vector<std::string>{"set_interface_alt_setting"});
  device.reset();
  EXPECT_EQ(fakeLibusb().find("release_interface")->args, std::vector<int>{0});
}

TEST_F(LibusbDeviceTest, SelectInterfaceFailuresAreReported) {
  fakeLibusb().claimResult = LIBUSB_ERROR_BUSY;
  EXPECT_FALSE(device->selectInterface(0, 1));
  EXPECT_NE(device->lastError().find("fake: resource busy"), std::string::npos);
  EXPECT_EQ(fakeLibusb().find("set_interface_alt_setting"), nullptr);

  fakeLibusb().claimResult = 0;
  fakeLibusb().altSettingResult = LIBUSB_ERROR_NO_DEVICE;
  EXPECT_FALSE(device->selectInterface(0, 1));
  EXPECT_NE(device->lastError().find("fake: no device"), std::string::npos);
}

struct PipeCase {
  bool read;
  std::uint32_t pipe;
  int endpoint;  // -1: refused without a transfer
};

class LibusbPipeTest : public LibusbDeviceTest, public testing::WithParamInterface<PipeCase> {};

TEST_P(LibusbPipeTest, PipeReachesItsEndpoint) {
  const PipeCase& c = GetParam();
  std::vector<std::uint8_t> buffer(528);
  std::iota(buffer.begin(), buffer.end(), 0);
  const std::vector<std::uint8_t> source = buffer;
  const bool ok = c.read ? device->bulkRead(c.pipe, buffer.data(), 528)
                         : device->bulkWrite(c.pipe, buffer.data(), 528);
  const auto sent = transfers("bulk_transfer");
  if (c.endpoint < 0) {
    EXPECT_FALSE(ok);
    EXPECT_TRUE(sent.empty());
    EXPECT_NE(device->lastError(), "");
    return;
  }
  ASSERT_TRUE(ok) << device->lastError();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].args[0], c.endpoint);
  EXPECT_EQ(sent[0].args[1], 528);
  EXPECT_GT(sent[0].args[2], 0);
  if (c.read) {
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(528, fakeLibusb().inFill));
  } else {
    EXPECT_EQ(sent[0].data, source);
  }
}

INSTANTIATE_TEST_SUITE_P(Pipes, LibusbPipeTest,
                         testing::Values(PipeCase{false, 2, 0x02}, PipeCase{false, 3, 0x04},
                                         PipeCase{true, 5, 0x88}, PipeCase{true, 2, -1},
                                         PipeCase{false, 5, -1}, PipeCase{false, 6, -1},
                                         PipeCase{true, 0xFFFFFFFF, -1}));

struct BulkFailureCase {
  FakeTransferResult outcome;
  std::vector<const char*> message;  // expected parts of lastError()
};

class LibusbBulkFailureTest : public LibusbDeviceTest,
                              public testing::WithParamInterface<BulkFailureCase> {};

TEST_P(LibusbBulkFailureTest, FailedOrShortTransferIsAFailureWithAMessage) {
  std::vector<std::uint8_t> buffer(16896);
  for (bool read : {true, false}) {
    fakeLibusb().transferResults = {GetParam().outcome};
    const bool ok = read ? device->bulkRead(5, buffer.data(), 16896)
                         : device->bulkWrite(2, buffer.data(), 16896);
    EXPECT_FALSE(ok);
    for (const char* part : GetParam().message)
      EXPECT_NE(device->lastError().find(part), std::string::npos) << device->lastError();
  }
}

INSTANTIATE_TEST_SUITE_P(Outcomes, LibusbBulkFailureTest,
                         testing::Values(
                             BulkFailureCase{{LIBUSB_ERROR_TIMEOUT, 512}, {"fake: timed out", "512"}},
                             BulkFailureCase{{LIBUSB_ERROR_PIPE, 0}, {"fake: pipe error"}},
                             BulkFailureCase{{0, 16384}, {"short", "16384"}}));

struct DownloadCase {
  std::uint16_t address;
  std::uint32_t count;
  std::vector<std::pair<int, int>> chunks;  // (wValue, length) of each control transfer
};

class LibusbDownloadTest : public LibusbDeviceTest,
                           public testing::WithParamInterface<DownloadCase> {};

TEST_P(LibusbDownloadTest, RamDownloadGoesInChunksOfAtMost4K) {
  const DownloadCase& c = GetParam();
  std::vector<std::uint8_t> image(c.count);
  for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 7 + 3);
  ASSERT_TRUE(device->anchorDownload(c.address, image.data(), c.count)) << device->lastError();

  std::vector<std::pair<int, int>> chunks;
  std::vector<std::uint8_t> carried;
  for (const auto& t : transfers("control_transfer")) {
    EXPECT_EQ(t.args[0], 0x40);
    EXPECT_EQ(t.args[1], 0xA0);
    EXPECT_EQ(t.args[3], 0);
    chunks.emplace_back(t.args[2], t.args[4]);
    carried.insert(carried.end(), t.data.begin(), t.data.end());
  }
  EXPECT_EQ(chunks, c.chunks);
  EXPECT_EQ(carried, image);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, LibusbDownloadTest,
    testing::Values(DownloadCase{0x1234, 3, {{0x1234, 3}}},
                    DownloadCase{0x0000, 4096, {{0x0000, 4096}}},
                    DownloadCase{0x0100, 10000, {{0x0100, 4096}, {0x1100, 4096}, {0x2100, 1808}}},
                    DownloadCase{0xFFF0, 16, {{0xFFF0, 16}}},
                    DownloadCase{0x0000, 0, {}}));

TEST_F(LibusbDeviceTest, RamDownloadStopsAtTheFirstFailedChunkAndRefusesToWrap) {
  std::vector<std::uint8_t> image(10000);
  fakeLibusb().transferResults = {{0, -1}, {LIBUSB_ERROR_IO, 0}};
  EXPECT_FALSE(device->anchorDownload(0, image.data(), 10000));
  EXPECT_EQ(transfers("control_transfer").size(), 2u);
  EXPECT_NE(device->lastError().find("fake: input/output error"), std::string::npos);

  fakeLibusb().calls.clear();
  EXPECT_FALSE(device->anchorDownload(0xFFFF, image.data(), 2));
  EXPECT_TRUE(transfers("control_transfer").empty());
}

}  // namespace
