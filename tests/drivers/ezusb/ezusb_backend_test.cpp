// The EZ-USB backend's calls, recorded through a stand-in OS-call table: what it opens and how,
// and every DeviceIoControl's code and buffers.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "host/drivers/ezusb/ezusb_control_codes.h"
#include "host/drivers/ezusb/ezusb_device.h"
#include "host/link/device_channel.h"

namespace {

struct OpenCall {
  std::string path;
  ezusb::Dword access, share, disposition, flags;
  void* security;
  ezusb::Handle templateFile;
};

struct IoCall {
  ezusb::Handle device;
  ezusb::Dword code;
  std::vector<std::uint8_t> input;
  ezusb::Dword inputSize;
  void* output;
  ezusb::Dword outputSize;
  bool bytesReturnedGiven;
  void* overlapped;
};

// The recording stand-in of the OS (the table takes plain functions, so it is one global).
struct FakeOs {
  std::set<std::string> presentPaths;
  ezusb::Bool ioResult = 1;
  std::vector<OpenCall> opens;
  std::vector<IoCall> ios;
} os;

ezusb::Handle fakeHandle() { return reinterpret_cast<ezusb::Handle>(std::intptr_t{0x1234}); }

ezusb::Handle fakeCreateFile(const char* path, ezusb::Dword access, ezusb::Dword share,
                             void* security, ezusb::Dword disposition, ezusb::Dword flags,
                             ezusb::Handle templateFile) {
  os.opens.push_back({path, access, share, disposition, flags, security, templateFile});
  return os.presentPaths.count(path) ? fakeHandle() : ezusb::invalidHandle();
}

ezusb::Bool fakeIoControl(ezusb::Handle device, ezusb::Dword code, void* in, ezusb::Dword inSize,
                          void* out, ezusb::Dword outSize, ezusb::Dword* returned,
                          void* overlapped) {
  const auto* bytes = static_cast<const std::uint8_t*>(in);
  os.ios.push_back({device, code, std::vector<std::uint8_t>(bytes, bytes + inSize), inSize, out,
                    outSize, returned != nullptr, overlapped});
  return os.ioResult;
}

ezusb::Dword fakeLastError() { return 31; }

const ezusb::OsCalls fakeCalls{fakeCreateFile, fakeIoControl, fakeLastError};

class EzusbOpenTest : public testing::Test {
 protected:
  void SetUp() override { os = FakeOs{}; }
};

TEST_F(EzusbOpenTest, EachInstanceIsOneCreateFileForWritingOnItsDeviceObject) {
  os.presentPaths = {"\\\\.\\ezusb-0", "\\\\.\\ezusb-3", "\\\\.\\ezusb-5"};
  const struct {
    int instance;
    const char* path;
    bool opens;
  } cases[] = {{0, "\\\\.\\ezusb-0", true},  {1, "\\\\.\\ezusb-1", false},
               {2, "\\\\.\\ezusb-2", false}, {3, "\\\\.\\ezusb-3", true},
               {4, "\\\\.\\ezusb-4", false}, {5, "\\\\.\\ezusb-5", true}};
  for (const auto& c : cases) {
    os.opens.clear();
    std::string error = "stale";
    const auto device = ezusb::openDevice(fakeCalls, c.instance, error);
    EXPECT_EQ(device != nullptr, c.opens) << c.path;
    EXPECT_EQ(error, "");  // a missing instance is not an error worth showing
    ASSERT_EQ(os.opens.size(), 1u);
    const OpenCall& call = os.opens[0];
    EXPECT_EQ(call.path, c.path);
    EXPECT_EQ(call.access, 0x40000000u);  // GENERIC_WRITE alone
    EXPECT_EQ(call.share, 0x2u);          // FILE_SHARE_WRITE
    EXPECT_EQ(call.security, nullptr);
    EXPECT_EQ(call.disposition, 3u);      // OPEN_EXISTING
    EXPECT_EQ(call.flags, 0u);            // not overlapped
    EXPECT_EQ(call.templateFile, nullptr);
  }
}

std::unique_ptr<DriverDevice> openThroughFakeOs(int instance, std::string& error) {
  return ezusb::openDevice(fakeCalls, instance, error);
}

TEST_F(EzusbOpenTest, ChannelStopsAtTheFirstInstanceThatOpensAndNeverGoesPastFive) {
  os.presentPaths = {"\\\\.\\ezusb-2", "\\\\.\\ezusb-4"};
  DeviceChannel channel;
  std::string reasons;
  ASSERT_TRUE(openChannel(channel, reasons, openThroughFakeOs));
  EXPECT_EQ(channel.instance, 2);
  EXPECT_EQ(reasons, "");
  ASSERT_EQ(os.opens.size(), 3u);
  for (int n = 0; n < 3; ++n) EXPECT_EQ(os.opens[n].path, "\\\\.\\ezusb-" + std::to_string(n));

  os = FakeOs{};
  os.presentPaths = {"\\\\.\\ezusb-6", "\\\\.\\ezusb-7"};
  DeviceChannel none;
  EXPECT_FALSE(openChannel(none, reasons, openThroughFakeOs));
  EXPECT_EQ(os.opens.size(), 6u);
  EXPECT_EQ(os.opens.back().path, "\\\\.\\ezusb-5");
}

class EzusbDeviceTest : public testing::Test {
 protected:
  void SetUp() override {
    os = FakeOs{};
    os.presentPaths = {"\\\\.\\ezusb-0"};
    std::string error;
    device = ezusb::openDevice(fakeCalls, 0, error);
    ASSERT_NE(device, nullptr);
  }
  const IoCall& onlyCall() {
    EXPECT_EQ(os.ios.size(), 1u);
    return os.ios.at(0);
  }
  static void expectSynchronous(const IoCall& call) {
    EXPECT_EQ(call.device, fakeHandle());
    EXPECT_TRUE(call.bytesReturnedGiven);
    EXPECT_EQ(call.overlapped, nullptr);
  }
  std::unique_ptr<DriverDevice> device;
};

TEST_F(EzusbDeviceTest, VendorRequestPassesTheTenByteRecordAndNoOutputBuffer) {
  VendorRequestRecord record;
  record.request = 0xA0;
  record.alignment = 0x77;
  record.value = 0xE600;
  record.index = 0x0102;
  record.length = 1;
  record.direction = 0;
  record.data = 0x01;
  ASSERT_TRUE(device->vendorRequest(record));
  const IoCall& call = onlyCall();
  expectSynchronous(call);
  EXPECT_EQ(call.code, 0x222014u);
  EXPECT_EQ(call.inputSize, 10u);
  EXPECT_EQ(call.input, (std::vector<std::uint8_t>{0xA0, 0x77, 0x00, 0xE6, 0x02, 0x01, 0x01,
                                                   0x00, 0x00, 0x01}));
  EXPECT_EQ(call.output, nullptr);
  EXPECT_EQ(call.outputSize, 0u);
}

TEST_F(EzusbDeviceTest, SelectInterfacePassesTwoBytesAndNoOutputBuffer) {
  ASSERT_TRUE(device->selectInterface(0, 1));
  const IoCall& call = onlyCall();
  expectSynchronous(call);
  EXPECT_EQ(call.code, 0x222040u);
  EXPECT_EQ(call.input, (std::vector<std::uint8_t>{0x00, 0x01}));
  EXPECT_EQ(call.output, nullptr);
  EXPECT_EQ(call.outputSize, 0u);
}

TEST_F(EzusbDeviceTest, BulkInputIsTheLittleEndianPipeIndexWhateverTheCount) {
  std::vector<std::uint8_t> buffer(16896);
  const struct {
    bool read;
    std::uint32_t pipe;
    std::uint32_t count;
    std::uint32_t code;
    std::vector<std::uint8_t> input;
  } cases[] = {
      {false, 3, 3, 0x222051, {0x03, 0, 0, 0}},
      {false, 2, 528, 0x222051, {0x02, 0, 0, 0}},
      {true, 5, 1, 0x22204E, {0x05, 0, 0, 0}},
      {true, 5, 16896, 0x22204E, {0x05, 0, 0, 0}},
      {true, 0x04030201, 7, 0x22204E, {0x01, 0x02, 0x03, 0x04}},
  };
  for (const auto& c : cases) {
    os.ios.clear();
    ASSERT_TRUE(c.read ? device->bulkRead(c.pipe, buffer.data(), c.count)
                       : device->bulkWrite(c.pipe, buffer.data(), c.count));
    const IoCall& call = onlyCall();
    expectSynchronous(call);
    EXPECT_EQ(call.code, c.code);
    EXPECT_EQ(call.inputSize, 4u);
    EXPECT_EQ(call.input, c.input);
    EXPECT_EQ(call.output, buffer.data());  // the data travel in the output buffer
    EXPECT_EQ(call.outputSize, c.count);
  }
}

TEST_F(EzusbDeviceTest, DownloadPassesTheLittleEndianStartAddressAndTheBytes) {
  const std::uint8_t image[5] = {1, 2, 3, 4, 5};
  ASSERT_TRUE(device->anchorDownload(0x1A2B, image, sizeof image));
  const IoCall& call = onlyCall();
  expectSynchronous(call);
  EXPECT_EQ(call.code, 0x22206Du);
  EXPECT_EQ(call.input, (std::vector<std::uint8_t>{0x2B, 0x1A}));
  EXPECT_EQ(call.output, image);
  EXPECT_EQ(call.outputSize, 5u);
}

TEST_F(EzusbDeviceTest, AFailedCallReturnsFailureWithItsNameAndTheWindowsError) {
  os.ioResult = 0;
  std::uint8_t byte = 0;
  EXPECT_FALSE(device->bulkRead(5, &byte, 1));
  EXPECT_NE(device->lastError().find("IOCTL_BULK_READ"), std::string::npos);
  EXPECT_NE(device->lastError().find("31"), std::string::npos);
  EXPECT_FALSE(device->selectInterface(0, 1));
  EXPECT_NE(device->lastError().find("IOCTL_SET_INTERFACE"), std::string::npos);
}

}  // namespace
