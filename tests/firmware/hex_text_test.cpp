// The image as the loader and the chip need it: the text rules of the HEX records, and the
// fixed entries and the autovector table in the bytes they describe.
#include <gtest/gtest.h>

#include <set>

#include "firmware_image.h"
#include "firmware_symbols.h"

namespace firmware_test {
namespace {

TEST(FirmwareHexText, RecordsFollowTheLoadersRules) {
  const std::string& text = firmwareText();
  ASSERT_FALSE(text.empty());
  ASSERT_EQ(text.substr(text.size() - 13), ":00000001FF\r\n") << "end-of-file record last";

  const std::vector<HexRecord> records = parseRecords(text);
  ASSERT_GE(records.size(), 2u);
  std::set<unsigned> written;
  std::uint32_t runLength = 0, nextAddress = 0xFFFFFFFF;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const HexRecord& r = records[i];
    SCOPED_TRACE("record " + std::to_string(i) + ": " + r.line);
    ASSERT_FALSE(r.line.empty()) << "malformed record";
    EXPECT_TRUE(r.checksumOk);
    for (char c : r.line) EXPECT_FALSE(c >= 'a' && c <= 'f') << "lower-case digit";
    if (i + 1 == records.size()) {
      EXPECT_EQ(r.type, 0x01);
      break;
    }
    ASSERT_EQ(r.type, 0x00) << "only data records before the end";
    EXPECT_GE(r.data.size(), 1u);
    EXPECT_LE(r.data.size(), 16u);
    EXPECT_LE(r.address + r.data.size(), 0x2000u) << "outside 0x0000-0x1FFF";
    for (std::size_t j = 0; j < r.data.size(); ++j)
      EXPECT_TRUE(written.insert(r.address + j).second) << "address written twice";
    // runs as the loader forms them
    runLength = (r.address == nextAddress) ? runLength + r.data.size() : r.data.size();
    EXPECT_LE(runLength, 8192u);
    nextAddress = r.address + r.data.size();
  }
}

std::uint16_t longJumpTarget(const std::vector<std::uint8_t>& ram, unsigned at) {
  EXPECT_EQ(ram[at], 0x02) << "no long jump at " << at;
  return static_cast<std::uint16_t>(ram[at + 1] * 256 + ram[at + 2]);
}

TEST(FirmwareHexText, FixedEntriesAndAutovectorTable) {
  const std::vector<std::uint8_t> ram = ramImage();
  namespace s = firmware_symbols;
  EXPECT_EQ(longJumpTarget(ram, 0x0000), s::startUp);
  EXPECT_EQ(longJumpTarget(ram, 0x0033), s::onResume);
  EXPECT_EQ(longJumpTarget(ram, 0x0043), s::autovectorTable);
  EXPECT_EQ(longJumpTarget(ram, 0x0053), s::autovectorTable);
  EXPECT_EQ(s::autovectorTable % 256, 0) << "the chip replaces the target's low byte";

  struct Entry { unsigned offset; std::uint16_t handler; };
  const Entry handled[] = {{0x00, s::onSetupData},     {0x08, s::onSetupToken},
                           {0x0C, s::onSuspend},       {0x10, s::onBusReset},
                           {0x14, s::onHighSpeedGrant}, {0xB4, s::onGpifWaveform}};
  for (unsigned offset = 0; offset <= 0xB4; offset += 4) {
    SCOPED_TRACE("offset " + std::to_string(offset));
    std::uint16_t expected = s::onUnusedInterrupt;
    for (const Entry& e : handled)
      if (e.offset == offset) expected = e.handler;
    EXPECT_EQ(longJumpTarget(ram, s::autovectorTable + offset), expected);
    EXPECT_EQ(ram[s::autovectorTable + offset + 3], 0x00) << "filler byte";
  }
  // handlers of disabled sources just return from the interrupt (RETI)
  EXPECT_EQ(ram[s::onUnusedInterrupt], 0x32);
}

}  // namespace
}  // namespace firmware_test
