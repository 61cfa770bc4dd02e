// Keys 1 to 4: a page, the status byte and the ID bytes in the hex view.
#include <cstdio>

#include "tests/e2e/tool_fixture.h"

namespace {

using Views = ToolFixture;

std::string hexLine(unsigned offset, std::initializer_list<std::uint8_t> first) {
  std::uint8_t bytes[16] = {};
  std::copy(first.begin(), first.end(), bytes);
  return hexViewLine(offset, bytes);
}

TEST_F(Views, PageStatusAndIdBytes) {
  start();
  // Page 33 at offset 0x4200 (marker to digit 3, 4 up; digit 2, 2 up), then key 1.
  for (const char* key : {"k", "k", "h", "h", "h", "h", "m", "h", "h"}) pressForScreen(key);
  pressForScreen("1");
  const std::uint8_t* page = deviceImage().data() + 33 * kPageRaw;
  for (int row = 0; row < 33; ++row) {
    EXPECT_EQ(screen().row(row), hexViewLine(row * 16, page + row * 16)) << "row " << row;
  }

  // Status after reset: ready, not protected. Only the first 256 bytes of the view are cleared.
  pressForScreen("3");
  EXPECT_EQ(screen().row(0), hexLine(0x000, {0xC0}));
  EXPECT_EQ(screen().row(15), hexLine(0x0F0, {}));
  EXPECT_EQ(screen().row(16), hexViewLine(0x100, page + 0x100));

  pressForScreen("4");
  EXPECT_EQ(screen().row(0), hexLine(0x000, {0xEC, 0x76, 0xA5, 0xC0}));
  EXPECT_EQ(screen().row(32), hexViewLine(0x200, page + 0x200));

  // Key 2 reads the page again, as key 1 does.
  pressForScreen("2");
  EXPECT_EQ(screen().row(0), hexViewLine(0x000, page));
}

}  // namespace
