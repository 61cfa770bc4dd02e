#include "host/link/firmware_loader.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/host/recording_device.h"

namespace {

struct Run {
  std::uint16_t address;
  Bytes bytes;
  bool operator==(const Run&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Run& run) {
  return os << "run@" << std::hex << run.address << " x" << std::dec << run.bytes.size();
}

// Writes an Intel HEX record with a correct checksum.
std::string record(std::uint16_t address, const Bytes& data, std::uint8_t type = 0) {
  char text[16];
  std::uint8_t sum = static_cast<std::uint8_t>(data.size() + (address >> 8) + address + type);
  std::snprintf(text, sizeof text, "%02X%04X%02X", unsigned(data.size()), unsigned(address),
                unsigned(type));
  std::string line = std::string(":") + text;
  for (std::uint8_t b : data) {
    std::snprintf(text, sizeof text, "%02X", unsigned(b));
    line += text;
    sum += b;
  }
  std::snprintf(text, sizeof text, "%02X", unsigned(std::uint8_t(-sum)));
  return line + text + "\r\n";
}

const std::string END = ":00000001FF\r\n";

Bytes count(std::size_t n, std::uint8_t first = 0) {
  Bytes bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(first + i);
  return bytes;
}

struct LoadResult {
  std::vector<Run> runs;
  std::size_t skipped = 0;
  std::string textAfter;
};

// Runs the loader and checks the frame every download has: hold first, release last,
// only downloads between.
LoadResult load(std::string text) {
  auto recorder = std::make_shared<DeviceRecorder>();
  DeviceChannel channel;
  channel.device = std::make_unique<RecordingDevice>(recorder);
  LoadResult result;
  result.skipped = downloadFirmware(channel, text.data());
  result.textAfter = text;
  const auto& calls = recorder->calls;
  EXPECT_GE(calls.size(), 2u);
  if (calls.size() < 2) return result;
  EXPECT_EQ(calls.front().kind, CallKind::Vendor);
  EXPECT_EQ(calls.front().bytes.back(), 0x01);  // hold
  EXPECT_EQ(calls.back().kind, CallKind::Vendor);
  EXPECT_EQ(calls.back().bytes.back(), 0x00);  // release
  for (std::size_t i = 1; i + 1 < calls.size(); ++i) {
    EXPECT_EQ(calls[i].kind, CallKind::Download);
    EXPECT_EQ(calls[i].count, calls[i].bytes.size());
    result.runs.push_back({static_cast<std::uint16_t>(calls[i].pipe), calls[i].bytes});
  }
  return result;
}

struct LoaderCase {
  const char* name;
  std::string text;
  std::vector<Run> runs;
  std::size_t skipped = 0;
};

class Loader : public testing::TestWithParam<LoaderCase> {};

TEST_P(Loader, SendsTheseRunsBetweenHoldAndRelease) {
  const LoadResult result = load(GetParam().text);
  EXPECT_EQ(result.runs, GetParam().runs);
  EXPECT_EQ(result.skipped, GetParam().skipped);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Loader,
    testing::Values(
        LoaderCase{"Empty", "", {}},
        LoaderCase{"EndRecordOnly", END, {}},
        LoaderCase{"ContinuationJoinsOneRun",
                   record(0x0100, count(16)) + record(0x0110, count(4, 16)) + END,
                   {{0x0100, count(20)}}},
        LoaderCase{"GapStartsNewRunInTextOrder",
                   record(0x0200, count(2)) + record(0x0000, count(3, 9)) + END,
                   {{0x0200, count(2)}, {0x0000, count(3, 9)}}},
        LoaderCase{"RepeatedAddressSendsTheOldRunFirst",
                   record(0x0040, {1, 2}) + record(0x0040, {3}) + END,
                   {{0x0040, {1, 2}}, {0x0040, {3}}}},
        LoaderCase{"AdjacentButNotNextInTextStaySeparate",
                   record(0x0010, {1}) + record(0x0500, {2}) + record(0x0011, {3}) + END,
                   {{0x0010, {1}}, {0x0500, {2}}, {0x0011, {3}}}},
        // A length-0 record on an empty run sets its start; only a record at that same
        // address continues it.
        LoaderCase{"LengthZeroRecordSetsRunStart",
                   record(0x0300, {}) + record(0x0300, {7, 8}) + END, {{0x0300, {7, 8}}}},
        LoaderCase{"LengthZeroRecordThenOtherAddress",
                   record(0x0300, {}) + record(0x0301, {7}) + END, {{0x0301, {7}}}},
        LoaderCase{"TopOfAddressSpaceIsNeverContinued",
                   record(0xFFF0, count(16)) + record(0x0000, {5}) + END,
                   {{0xFFF0, count(16)}, {0x0000, {5}}}},
        LoaderCase{"LastRunSentEvenWithoutEndRecord", record(0x0700, {1, 2, 3}),
                   {{0x0700, {1, 2, 3}}}},
        LoaderCase{"TextBeforeFirstColonIgnored", "junk\r\n" + record(0x0001, {4}) + END,
                   {{0x0001, {4}}}},
        LoaderCase{"LowerCaseDigitsRead", ":02001000abcd76\r\n" + END, {{0x0010, {0xAB, 0xCD}}}},
        // Malformed records are skipped whole and change nothing around them.
        LoaderCase{"NonHexDataDigitSkipsRecord",
                   record(0x0000, {1}) + ":020001000G1234\r\n" + record(0x0001, {2}) + END,
                   {{0x0000, {1, 2}}}, 1},
        LoaderCase{"NonHexHeaderSkipsRecord", ":0Z000000\r\n" + record(0x0004, {9}) + END,
                   {{0x0004, {9}}}, 1},
        LoaderCase{"RecordCutShortSkipped", ":100000000102" + END, {}, 1},
        LoaderCase{"HeaderCutShortSkipped", ":10" + END, {}, 1},
        LoaderCase{"ExtendedAddressRecordSkipped",
                   record(0x0000, {0x00, 0x01}, 0x04) + record(0x0020, {6}) + END,
                   {{0x0020, {6}}}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Loader, LongRunIsSentInFullStagingBuffersNeverOverrun) {
  // 9000 bytes in one continuous stretch from 0x0100.
  std::string text;
  Bytes all;
  for (std::uint32_t address = 0x0100; address < 0x0100 + 9000; address += 16) {
    const Bytes data = count(std::min<std::uint32_t>(16, 0x0100 + 9000 - address), address & 0xFF);
    text += record(static_cast<std::uint16_t>(address), data);
    all.insert(all.end(), data.begin(), data.end());
  }
  const LoadResult result = load(text + END);
  ASSERT_EQ(result.runs.size(), 2u);
  EXPECT_EQ(result.runs[0].address, 0x0100);
  EXPECT_EQ(result.runs[0].bytes, Bytes(all.begin(), all.begin() + RUN_BUFFER_SIZE));
  EXPECT_EQ(result.runs[1].address, 0x0100 + RUN_BUFFER_SIZE);
  EXPECT_EQ(result.runs[1].bytes, Bytes(all.begin() + RUN_BUFFER_SIZE, all.end()));
}

TEST(Loader, EveryColonButTheFirstBecomesZero) {
  const std::string text = record(0x0000, {1}) + record(0x0001, {2}) + END;
  const LoadResult result = load(text);
  std::string expected = text;
  for (std::size_t i = 1; i < expected.size(); ++i) {
    if (expected[i] == ':') expected[i] = '\0';
  }
  EXPECT_EQ(expected[0], ':');
  EXPECT_EQ(result.textAfter, expected);
}

}  // namespace
