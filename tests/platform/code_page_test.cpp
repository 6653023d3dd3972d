#include "platform/code_page.h"

#include <gtest/gtest.h>

#include "platform/wildcard.h"

namespace platform {
namespace {

TEST(CodePage, WesternLowerCasingCoversAccentedLetters) {
  CodePage western(1252);
  EXPECT_EQ(western.Lower("ABC\xC9\xD6\xD7\x8A"), "abc\xE9\xF6\xD7\x9A");  // x sign stays
  EXPECT_TRUE(western.EqualNoCase("Program Files", "PROGRAM FILES"));
  EXPECT_FALSE(western.EqualNoCase("abc", "abcd"));
  EXPECT_LT(western.CompareNoCase("apple", "Banana"), 0);
}

TEST(CodePage, DoubleByteLowerCasingLeavesSecondBytesAlone) {
  CodePage japanese(932);
  // 0x83 0x41 is one character whose second byte happens to be "A".
  EXPECT_EQ(japanese.Lower("X\x83\x41Y"), "x\x83\x41y");
  EXPECT_EQ(japanese.CharLength("\x83\x41", 0), 2u);
  EXPECT_EQ(japanese.CharLength("\x83", 0), 1u);  // cut short at the end
  EXPECT_FALSE(japanese.EqualNoCase("\x83\x41", "\x83\x61"));
}

// JSON output wants UTF-8: each character converted whole, and a double-byte character cut
// short at the end replaced rather than passed on as invalid UTF-8.
TEST(CodePage, Utf8OfWesternAndDoubleByteTexts) {
  EXPECT_EQ(CodePage(1252).ToUtf8("caf\xE9 \x80."), "caf\u00E9 \u20AC.");
  EXPECT_EQ(CodePage(932).ToUtf8("X\x83\x41Y\x83"), "X\u30A2Y\uFFFD");
}

TEST(FileNamePattern, FollowsWindowsRules) {
  CodePage codePage;
  auto matches = [&](const char* pattern, const char* name) {
    return MatchesFileNamePattern(codePage, pattern, name);
  };
  EXPECT_TRUE(matches("*.*", "README"));
  EXPECT_TRUE(matches("*.TXT", "notes.txt"));
  EXPECT_FALSE(matches("*.txt", "notes.txt.bak"));
  EXPECT_TRUE(matches("*.txt", "a.b.txt"));
  EXPECT_TRUE(matches("note?.txt", "notes.txt"));
  EXPECT_TRUE(matches("note?.txt", "note.txt"));  // "?" may match nothing before a dot
  EXPECT_FALSE(matches("n?te.txt", "nte.txt"));
  EXPECT_TRUE(matches("abc.*", "abc"));
  EXPECT_TRUE(matches("*.", "Makefile"));
  EXPECT_FALSE(matches("*.", "file.c"));
  EXPECT_TRUE(matches("a*b*c", "aXXbYYc"));
  EXPECT_FALSE(matches("a*b*c", "aXXbYY"));
}

}  // namespace
}  // namespace platform
