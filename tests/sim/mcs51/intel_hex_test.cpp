// Intel HEX reading: every malformed record is refused with its line, and what the writer
// produces reads back unchanged.
#include <gtest/gtest.h>

#include "sim/mcs51/intel_hex.h"

namespace mcs51 {
namespace {

TEST(IntelHex, WrittenImageReadsBack) {
  std::vector<std::uint8_t> bytes(37);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 29 + 1);
  std::vector<std::uint8_t> image(0x10000, 0xEE);
  const auto result = loadIntelHex(toIntelHex(bytes, 0x1FF0), image);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.highestAddress, 0x1FF0u + 37u);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), image.begin() + 0x1FF0));
  EXPECT_EQ(image[0x1FEF], 0xEE);
  EXPECT_EQ(image[0x1FF0 + 37], 0xEE);
}

TEST(IntelHex, AcceptsCrLfBlankLinesAndLowerCase) {
  std::vector<std::uint8_t> image(16, 0);
  const auto result = loadIntelHex(":030002000012ab3e\r\n\r\n:00000001FF\r\n", image);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(image[2], 0x00);
  EXPECT_EQ(image[3], 0x12);
  EXPECT_EQ(image[4], 0xAB);
}

struct BadCase {
  const char* name;
  const char* text;
  const char* error;  // expected in the message
};

class MalformedHex : public ::testing::TestWithParam<BadCase> {};

TEST_P(MalformedHex, IsRefusedWithItsLine) {
  std::vector<std::uint8_t> image(0x100, 0);
  const auto result = loadIntelHex(GetParam().text, image);
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find(GetParam().error), std::string::npos) << result.error;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MalformedHex,
    ::testing::Values(BadCase{"NoColon", "030000000012AB40\n:00000001FF\n", "line 1"},
                      BadCase{"BadDigit", ":03000000G012AB40\n:00000001FF\n", "hexadecimal"},
                      BadCase{"Checksum", ":030000000012AB41\n:00000001FF\n", "checksum"},
                      BadCase{"CountMismatch", ":040000000012AB3F\n:00000001FF\n", "count"},
                      BadCase{"OddLength", ":030000000012AB400\n:00000001FF\n", "odd"},
                      BadCase{"TooShort", ":0000\n", "short"},
                      BadCase{"NoEndRecord", ":030000000012AB40\n", "end record"},
                      BadCase{"BeyondImage", ":0101000000FE\n:00000001FF\n", "beyond"},
                      BadCase{"ExtendedAddressBeyondImage",
                              ":020000040001F9\n:0100000000FF\n:00000001FF\n", "beyond"},
                      BadCase{"DataAfterEnd", ":00000001FF\n:0100000000FF\n", "line 2"},
                      BadCase{"UnknownType", ":00000007F9\n:00000001FF\n", "type"},
                      BadCase{"Empty", "", "end record"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mcs51
