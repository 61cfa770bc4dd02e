#include "host/platform/posix/file_choice.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(FileChoice, TitleIsThePartAfterTheLastSlash) {
  EXPECT_EQ(fileTitleOf("/tmp/dumps/rom.bin"), "rom.bin");
  EXPECT_EQ(fileTitleOf("rom.bin"), "rom.bin");
  EXPECT_EQ(fileTitleOf("dumps/"), "");
}

TEST(FileChoice, StoresPathAndTitle) {
  char buffer[260] = "old";
  char title[260] = "old";
  ASSERT_TRUE(storeFileChoice("dumps/rom.bin", buffer, sizeof buffer, title, sizeof title));
  EXPECT_STREQ(buffer, "dumps/rom.bin");
  EXPECT_STREQ(title, "rom.bin");
}

TEST(FileChoice, KeepsAtMost259CharactersAndRefusesLongerPaths) {
  char buffer[300];
  char title[8];
  std::strcpy(buffer, "previous");
  const std::string longest(259, 'a');
  ASSERT_TRUE(storeFileChoice(longest, buffer, sizeof buffer, title, sizeof title));
  EXPECT_EQ(std::string(buffer), longest);
  EXPECT_STREQ(title, "aaaaaaa");  // cut to its buffer, terminated

  std::strcpy(buffer, "previous");
  EXPECT_FALSE(storeFileChoice(std::string(260, 'a'), buffer, sizeof buffer, title, sizeof title));
  EXPECT_STREQ(buffer, "previous");
}

TEST(FileChoice, RespectsASmallerBuffer) {
  char buffer[8] = "prev";
  EXPECT_TRUE(storeFileChoice("1234567", buffer, sizeof buffer, nullptr, 0));
  EXPECT_STREQ(buffer, "1234567");
  EXPECT_FALSE(storeFileChoice("12345678", buffer, sizeof buffer, nullptr, 0));
  EXPECT_STREQ(buffer, "1234567");
}

}  // namespace
