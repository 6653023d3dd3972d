#include "cli/progress_line.h"

#include <gtest/gtest.h>

namespace cli {
namespace {

// The item keeps its last 45 characters after "..." whatever the width; the whole line is
// cut one short of the width so that it never wraps, and never inside a double-byte
// character.
TEST(ProgressText, CutsTheItemAt48AndTheLineToTheWidth) {
  const platform::CodePage western(1252);
  const std::string item = "C:\\" + std::string(60, 'a') + "\\end.dll";
  const std::string expected =
      "Files | ..." + item.substr(item.size() - 45) + " | examined 12, found 3, listed 2";
  EXPECT_EQ(ProgressText("Files", item, 12, 3, 2, 200, western), expected);
  EXPECT_EQ(ProgressText("Files", item, 12, 3, 2, 40, western), expected.substr(0, 39));
  EXPECT_EQ(ProgressText("Files", item, 12, 3, 2, 0, western), expected.substr(0, 79));
  EXPECT_EQ(ProgressText("Files", "C:\\short", 0, 0, 0, 200, western),
            "Files | C:\\short | examined 0, found 0, listed 0");

  const platform::CodePage japanese(932);
  // "Files | " fills 8 of the 9 cells; the double-byte character after it would take two.
  EXPECT_EQ(ProgressText("Files", "\x83\x41\x83\x41", 0, 0, 0, 10, japanese), "Files | ");
  // 60 characters in 90 bytes: the last 45 characters, from a character's first byte.
  std::string wide;
  for (int i = 0; i < 30; ++i) wide += "\x83\x41";
  EXPECT_EQ(
      ProgressText("Files", wide + std::string(30, 'a'), 0, 0, 0, 200, japanese).substr(0, 13),
      "Files | ...\x83\x41");
}

}  // namespace
}  // namespace cli
