#include "host/link/flash_operations.h"

#include <gtest/gtest.h>

#include <functional>

#include "host/link/bridge_packets.h"
#include "tests/host/recording_device.h"

namespace {

struct ChannelOnRecorder {
  ChannelOnRecorder() { channel.device = std::make_unique<RecordingDevice>(recorder); }
  std::shared_ptr<DeviceRecorder> recorder = std::make_shared<DeviceRecorder>();
  DeviceChannel channel;
};

struct PacketCase {
  const char* name;
  std::function<bool(DeviceChannel&)> operation;
  Bytes expected;  // the one command packet; filler bytes are checked by length only
  std::size_t checkedPrefix;
};

class PacketBytes : public testing::TestWithParam<PacketCase> {};

TEST_P(PacketBytes, OneCommandPacketWithTheseBytes) {
  const PacketCase& c = GetParam();
  ChannelOnRecorder f;
  EXPECT_TRUE(c.operation(f.channel));
  ASSERT_EQ(f.recorder->calls.size(), 1u);
  const DriverCall& call = f.recorder->calls[0];
  EXPECT_EQ(call.kind, CallKind::BulkWrite);
  EXPECT_EQ(call.pipe, PIPE_COMMAND);
  ASSERT_EQ(call.bytes.size(), c.expected.size());
  EXPECT_EQ(Bytes(call.bytes.begin(), call.bytes.begin() + c.checkedPrefix),
            Bytes(c.expected.begin(), c.expected.begin() + c.checkedPrefix));
}

INSTANTIATE_TEST_SUITE_P(
    Operations, PacketBytes,
    testing::Values(
        PacketCase{"ReadSecondHalfPage0", [](auto& ch) { return sendReadAddress(ch, 0x100); },
                   {0x50, 0x01, 0x00, 0x00, 0x00, 0x00}, 6},
        PacketCase{"ReadColumnA5Page1", [](auto& ch) { return sendReadAddress(ch, 0x3A5); },
                   {0x50, 0x01, 0xA5, 0x01, 0x00, 0x00}, 6},
        PacketCase{"ReadBlock1", [](auto& ch) { return sendReadAddress(ch, 0x4000); },
                   {0x50, 0x00, 0x00, 0x20, 0x00, 0x00}, 6},
        PacketCase{"ReadLastByte", [](auto& ch) { return sendReadAddress(ch, 0x3FFFFFF); },
                   {0x50, 0x01, 0xFF, 0xFF, 0xFF, 0x01}, 6},
        PacketCase{"ReadWrapsAtEnd", [](auto& ch) { return sendReadAddress(ch, 0x4000000); },
                   {0x50, 0x00, 0x00, 0x00, 0x00, 0x00}, 6},
        PacketCase{"ReadDropsHighBits",
                   [](auto& ch) { return sendReadAddress(ch, 0xFC0003A5); },
                   {0x50, 0x01, 0xA5, 0x01, 0x00, 0x00}, 6},
        PacketCase{"EraseBlock1", [](auto& ch) { return sendBlockErase(ch, 0x4000); },
                   {0x51, 0x60, 0x20, 0x00, 0x00, 0xD0}, 6},
        PacketCase{"EraseLastBlock", [](auto& ch) { return sendBlockErase(ch, 4095u * 0x4000); },
                   {0x51, 0x60, 0xE0, 0xFF, 0x01, 0xD0}, 6},
        PacketCase{"ReadId", [](auto& ch) { return sendCommandAddress(ch, 0x90); },
                   {0x53, 0x90, 0x00, 0x00}, 3},
        PacketCase{"ReadStatus", [](auto& ch) { return sendCommand(ch, 0x70); },
                   {0x52, 0x70, 0x00, 0x00}, 2},
        PacketCase{"Reset", [](auto& ch) { return sendCommand(ch, 0xFF); },
                   {0x52, 0xFF, 0x00, 0x00}, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgramSetupPacket, SameAddressAsReadSetupWithSerialInput) {
  for (std::uint32_t offset : {0x4000u, 0x3A5u, 0x3FFFE00u}) {
    Addr4Packet read = readAddressPacket(offset), program = programSetupPacket(offset);
    EXPECT_EQ(program[1], 0x80);
    EXPECT_TRUE(std::equal(read.begin() + 2, read.end(), program.begin() + 2)) << offset;
  }
  EXPECT_EQ(programSetupPacket(0x4000), (Addr4Packet{0x50, 0x80, 0x00, 0x20, 0x00, 0x00}));
}

struct ReadCase {
  std::uint32_t count;
  Bytes packet;
};

class ReadBytesCounts : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadBytesCounts, AnnouncesBigEndianCountThenReadsExactlyIt) {
  ChannelOnRecorder f;
  std::vector<std::uint8_t> buffer(GetParam().count);
  EXPECT_TRUE(readBytes(f.channel, buffer.data(), GetParam().count));
  ASSERT_EQ(f.recorder->calls.size(), 2u);
  EXPECT_EQ(f.recorder->calls[0].pipe, PIPE_COMMAND);
  EXPECT_EQ(f.recorder->calls[0].bytes, GetParam().packet);
  EXPECT_EQ(f.recorder->calls[1].kind, CallKind::BulkRead);
  EXPECT_EQ(f.recorder->calls[1].pipe, PIPE_DATA_IN);
  EXPECT_EQ(f.recorder->calls[1].count, GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(Counts, ReadBytesCounts,
                         testing::Values(ReadCase{528, {0x12, 0x02, 0x10}},
                                         ReadCase{0x4200, {0x12, 0x42, 0x00}},
                                         ReadCase{1, {0x12, 0x00, 0x01}},
                                         ReadCase{0xFFFF, {0x12, 0xFF, 0xFF}}));

TEST(ReadBytes, CountsThatCannotBeAnnouncedSendNothing) {
  for (std::uint32_t count : {0u, 0x10000u, 0x10210u}) {
    ChannelOnRecorder f;
    std::vector<std::uint8_t> buffer(0x10210);
    EXPECT_FALSE(readBytes(f.channel, buffer.data(), count)) << count;
    EXPECT_TRUE(f.recorder->calls.empty()) << count;
  }
}

TEST(ReadBytes, FailedAnnouncementSkipsTheReadThatWouldNeverComplete) {
  ChannelOnRecorder f;
  f.recorder->fails = [](const DriverCall& c) { return c.kind == CallKind::BulkWrite; };
  std::uint8_t buffer[4] = {};
  EXPECT_FALSE(readBytes(f.channel, buffer, 4));
  ASSERT_EQ(f.recorder->calls.size(), 1u);
  EXPECT_EQ(f.recorder->calls[0].kind, CallKind::BulkWrite);
}

TEST(ReadBytes, ReturnsTheReadsFlag) {
  ChannelOnRecorder f;
  f.recorder->fails = [](const DriverCall& c) { return c.kind == CallKind::BulkRead; };
  std::uint8_t buffer[4] = {};
  EXPECT_FALSE(readBytes(f.channel, buffer, 4));
  EXPECT_EQ(f.recorder->calls.size(), 2u);
}

TEST(WriteData, OneWriteOnTheDataPipeAndItsFlag) {
  ChannelOnRecorder f;
  std::vector<std::uint8_t> page(528, 0xA5);
  EXPECT_TRUE(writeData(f.channel, page.data(), 528));
  f.recorder->fails = [](const DriverCall&) { return true; };
  EXPECT_FALSE(writeData(f.channel, page.data(), 528));
  ASSERT_EQ(f.recorder->calls.size(), 2u);
  EXPECT_EQ(f.recorder->calls[0].pipe, PIPE_DATA_OUT);
  EXPECT_EQ(f.recorder->calls[0].bytes, page);
}

}  // namespace
