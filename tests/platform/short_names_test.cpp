#include "platform/image/short_names.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace platform {
namespace {

TEST(ShortNames, RecognisesEightDotThreeNames) {
  EXPECT_TRUE(IsValidShortName("README.TXT"));
  EXPECT_TRUE(IsValidShortName("autoexec.bat"));
  EXPECT_TRUE(IsValidShortName("PROGRA~1"));
  EXPECT_FALSE(IsValidShortName("Program Files"));
  EXPECT_FALSE(IsValidShortName("LONGERNAME.TXT"));
  EXPECT_FALSE(IsValidShortName("a.html"));
  EXPECT_FALSE(IsValidShortName("a.b.c"));
  EXPECT_FALSE(IsValidShortName("a+b.txt"));
}

TEST(ShortNames, FollowTheWindowsPattern) {
  CodePage codePage;
  std::vector<std::string> names = {"Program Files", "Documents and Settings", "Local Settings",
                                    "index.html",    ".hidden file",           "a+b;c.txt",
                                    "SETUP.EXE",     "my.archive.tar.gz"};
  auto shortNames = GenerateShortNames(codePage, names);
  EXPECT_EQ(shortNames[0], "PROGRA~1");
  EXPECT_EQ(shortNames[1], "DOCUME~1");
  EXPECT_EQ(shortNames[2], "LOCALS~1");
  EXPECT_EQ(shortNames[3], "INDEX~1.HTM");
  EXPECT_EQ(shortNames[4], "HIDDEN~1");
  EXPECT_EQ(shortNames[5], "A_B_C~1.TXT");
  EXPECT_EQ(shortNames[6], "SETUP.EXE");
  EXPECT_EQ(shortNames[7], "MYARCH~1.GZ");
}

TEST(ShortNames, CollisionsCountUpThenUseAChecksum) {
  CodePage codePage;
  std::vector<std::string> names;
  for (int i = 1; i <= 6; ++i) names.push_back("Long File Name " + std::to_string(i) + ".text");
  auto shortNames = GenerateShortNames(codePage, names);
  EXPECT_EQ(shortNames[0], "LONGFI~1.TEX");
  EXPECT_EQ(shortNames[1], "LONGFI~2.TEX");
  EXPECT_EQ(shortNames[3], "LONGFI~4.TEX");
  for (int i : {4, 5}) {
    EXPECT_EQ(shortNames[i].size(), 12u) << shortNames[i];
    EXPECT_EQ(shortNames[i].substr(0, 2), "LO");
    EXPECT_TRUE(std::all_of(shortNames[i].begin() + 2, shortNames[i].begin() + 6,
                            [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }));
    EXPECT_EQ(shortNames[i].substr(6), "~1.TEX");
  }
  EXPECT_NE(shortNames[4], shortNames[5]);
}

TEST(ShortNames, AvoidNamesTakenAndDependOnlyOnTheFolderContent) {
  CodePage codePage;
  std::vector<std::string> names = {"Program Files", "PROGRA~1", "Programs Old"};
  auto shortNames = GenerateShortNames(codePage, names);
  EXPECT_EQ(shortNames[1], "PROGRA~1");
  EXPECT_EQ(shortNames[0], "PROGRA~2");
  EXPECT_EQ(shortNames[2], "PROGRA~3");
  std::vector<std::string> reversed(names.rbegin(), names.rend());
  auto again = GenerateShortNames(codePage, reversed);
  EXPECT_EQ(again, std::vector<std::string>(shortNames.rbegin(), shortNames.rend()));
}

}  // namespace
}  // namespace platform
