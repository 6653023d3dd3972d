#include "foundation/size_text.h"

#include <gtest/gtest.h>

namespace foundation {
namespace {

TEST(SizeText, ShowsTruncatedHundredthsWithoutZeroDecimals) {
  EXPECT_EQ(SizeText(0), "0 B");
  EXPECT_EQ(SizeText(1023), "1,023 B");
  EXPECT_EQ(SizeText(1024), "1 KB");
  EXPECT_EQ(SizeText(1536), "1.50 KB");
  EXPECT_EQ(SizeText(1'048'575), "1,023.99 KB");
  EXPECT_EQ(SizeText(1'048'576), "1 MB");

  EXPECT_EQ(SizeText(52'428'800), "50 MB");
  EXPECT_EQ(SizeText(1'073'741'824), "1 GB");
  EXPECT_EQ(SizeText(4'294'967'295u), "3.99 GB");
}

TEST(SizeText, GroupsDigitsInThrees) {
  EXPECT_EQ(GroupedNumber(0), "0");
  EXPECT_EQ(GroupedNumber(999), "999");
  EXPECT_EQ(GroupedNumber(1000), "1,000");
  EXPECT_EQ(GroupedNumber(123456), "123,456");
  EXPECT_EQ(GroupedNumber(4'294'967'295u), "4,294,967,295");
}

}  // namespace
}  // namespace foundation
