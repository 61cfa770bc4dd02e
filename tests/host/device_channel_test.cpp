#include "host/link/device_channel.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "host/link/firmware_loader.h"
#include "tests/host/recording_device.h"

namespace {

// Which instances the fake driver has, and what it says about those it cannot open.
std::set<int> presentInstances;
std::map<int, std::string> refusedInstances;
std::vector<int> triedInstances;

std::unique_ptr<DriverDevice> fakeOpener(int instance, std::string& error) {
  triedInstances.push_back(instance);
  if (auto refused = refusedInstances.find(instance); refused != refusedInstances.end()) {
    error = refused->second;
    return nullptr;
  }
  if (!presentInstances.count(instance)) return nullptr;
  return std::make_unique<RecordingDevice>(std::make_shared<DeviceRecorder>());
}

struct OpenCase {
  std::set<int> present;
  std::map<int, std::string> refused;
  int expectedInstance;  // -1: not found
  std::string expectedReasons;
};

class OpenChannel : public testing::TestWithParam<OpenCase> {};

TEST_P(OpenChannel, KeepsTheFirstInstanceThatOpensAmongZeroToFive) {
  presentInstances = GetParam().present;
  refusedInstances = GetParam().refused;
  triedInstances.clear();
  DeviceChannel channel;
  std::string reasons;
  const bool found = openChannel(channel, reasons, fakeOpener);
  EXPECT_EQ(found, GetParam().expectedInstance >= 0);
  EXPECT_EQ(channel.instance, GetParam().expectedInstance);
  EXPECT_EQ(channel.device != nullptr, found);
  EXPECT_EQ(reasons, GetParam().expectedReasons);
  for (int tried : triedInstances) EXPECT_LE(tried, 5);
  // Stops at the instance it keeps.
  if (found) {
    EXPECT_EQ(triedInstances.back(), GetParam().expectedInstance);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Instances, OpenChannel,
    testing::Values(OpenCase{{2}, {}, 2, ""},
                    OpenCase{{0, 3}, {}, 0, ""},
                    OpenCase{{3}, {{1, "permission denied"}}, 3, ""},
                    OpenCase{{6, 7}, {}, -1, ""},
                    OpenCase{{}, {}, -1, ""},
                    OpenCase{{}, {{0, "permission denied"}, {1, "permission denied"}, {4, "busy"}},
                             -1, "permission denied\nbusy\n"}));

TEST(ChannelOperations, EachMakesOneDriverCallWithItsArgumentsAndFlag) {
  auto recorder = std::make_shared<DeviceRecorder>();
  DeviceChannel channel;
  channel.device = std::make_unique<RecordingDevice>(recorder);
  const std::uint8_t bytes[3] = {1, 2, 3};
  std::uint8_t into[8];
  EXPECT_TRUE(selectInterface(channel, 0, 1));
  EXPECT_TRUE(bulkWrite(channel, 3, bytes, 3));
  EXPECT_TRUE(bulkRead(channel, 5, into, 8));
  EXPECT_TRUE(anchorDownload(channel, 0x1234, bytes, 3));
  recorder->fails = [](const DriverCall&) { return true; };
  EXPECT_FALSE(holdCpuReset(channel));
  EXPECT_EQ(channelError(channel), recorder->error);

  ASSERT_EQ(recorder->calls.size(), 5u);
  EXPECT_EQ(recorder->calls[0].kind, CallKind::SelectInterface);
  EXPECT_EQ(recorder->calls[0].pipe, 0u);
  EXPECT_EQ(recorder->calls[0].count, 1u);
  EXPECT_EQ(recorder->calls[1].bytes, (Bytes{1, 2, 3}));
  EXPECT_EQ(recorder->calls[2].pipe, 5u);
  EXPECT_EQ(recorder->calls[2].count, 8u);
  EXPECT_EQ(recorder->calls[3].pipe, 0x1234u);
  // The CPU reset record: request A0 on CPUCS, one data byte, host to device.
  EXPECT_EQ(recorder->calls[4].bytes, (Bytes{0xA0, 0x00, 0x00, 0xE6, 0x00, 0x00, 0x01, 0x00,
                                             0x00, 0x01}));
}

TEST(ChannelOperations, UnopenedChannelFailsWithoutCrashing) {
  DeviceChannel channel;
  std::uint8_t byte = 0;
  EXPECT_FALSE(bulkRead(channel, 5, &byte, 1));
  EXPECT_FALSE(vendorRequest(channel, VendorRequestRecord{}));
  EXPECT_FALSE(channelError(channel).empty());
}

}  // namespace
