#include "definitions/database_file.h"

#include <gtest/gtest.h>

namespace definitions {
namespace {

std::string WithHeader(std::uint32_t length, const std::string& packed) {
  std::string bytes = packed;
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((length >> (8 * i)) & 0xFF);
  return bytes;
}

TEST(DatabaseFile, TheLengthLimitIsCheckedBeforeDecompressing) {
  std::string text = "<NA/>" + std::string(kLongestDatabaseText - 5, ' ');
  std::string packed = PackDatabaseText(text);
  std::string unpacked;
  ASSERT_EQ(UnpackDatabaseText(packed, unpacked), DatabaseFileError::None);
  EXPECT_EQ(unpacked.size(), kLongestDatabaseText);
  // One more in the header fails at once, even with a body that is no zlib stream at all.
  EXPECT_EQ(UnpackDatabaseText(WithHeader(kLongestDatabaseText + 1, packed), unpacked),
            DatabaseFileError::TooLong);
  EXPECT_EQ(UnpackDatabaseText(WithHeader(kLongestDatabaseText + 1, "xxxxgarbage"), unpacked),
            DatabaseFileError::TooLong);
}

TEST(DatabaseFile, BrokenContainersFail) {
  std::string text;
  EXPECT_EQ(UnpackDatabaseText("", text), DatabaseFileError::ShortHeader);
  EXPECT_EQ(UnpackDatabaseText("\x05\x00\x00", text), DatabaseFileError::ShortHeader);
  std::string packed = PackDatabaseText("<NA VERSION=\"1\"/>");
  // A header smaller than the text leaves the output buffer too small.
  EXPECT_EQ(UnpackDatabaseText(WithHeader(5, packed), text), DatabaseFileError::NotCompressed);
  std::string unscrambled = packed;
  for (std::size_t i = 4; i < unscrambled.size(); ++i) unscrambled[i] ^= kDatabaseKey;
  EXPECT_EQ(UnpackDatabaseText(unscrambled, text), DatabaseFileError::NotCompressed);
  EXPECT_EQ(UnpackDatabaseText(packed.substr(0, packed.size() - 3), text),
            DatabaseFileError::NotCompressed);
}

TEST(DatabaseFile, LineEndsAndZeroBytes) {
  std::string text;
  ASSERT_EQ(UnpackDatabaseText(PackDatabaseText("\na\nb\r\nc\rd\n\n"), text),
            DatabaseFileError::None);
  EXPECT_EQ(text, "\r\na\r\nb\r\nc\rd\r\n\r\n");  // CR LF kept, a lone CR stays
  ASSERT_EQ(UnpackDatabaseText(PackDatabaseText(std::string("<A/>\0<B/>", 9)), text),
            DatabaseFileError::None);
  EXPECT_EQ(text, "<A/>");
  EXPECT_EQ(UnpackRawDatabaseText(PackDatabaseText(std::string("x\n\0y", 4))),
            std::string("x\n\0y", 4));
}

}  // namespace
}  // namespace definitions
