#include "foundation/md5_text.h"

#include <gtest/gtest.h>

#include "support/temp_image.h"

namespace foundation {
namespace {

using testing_support::TempImage;

TEST(Md5Text, OfTexts) {
  EXPECT_EQ(Md5OfText(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5OfText("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Md5OfText(std::string("a\0b", 3)), Md5OfText(std::string("a\0b", 3)));
  EXPECT_NE(Md5OfText(std::string("a\0b", 3)), Md5OfText("a"));
}

TEST(Md5Text, OfFilesAgreesWithMd5sum) {
  TempImage image;
  std::string content;
  for (int i = 0; i < 5000; ++i) content += static_cast<char>(i * 7 % 256);  // spans many blocks
  image.WriteHostFile("data/program.exe", content);
  std::string expected =
      testing_support::RunCommand("md5sum '" + image.HostPath("data/program.exe") + "'")
          .substr(0, 32);
  EXPECT_EQ(Md5OfFile(image.Files(), "C:\\DATA\\PROGRAM.EXE"), expected);
  image.WriteHostFile("data/empty", "");
  EXPECT_EQ(Md5OfFile(image.Files(), "C:\\data\\empty"), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Md5OfFile(image.Files(), "C:\\data\\missing.exe"), std::nullopt);
  EXPECT_EQ(Md5OfFile(image.Files(), "C:\\data"), std::nullopt);
}

TEST(Md5Text, OfAFileHeldWithoutSharingIsAbsent) {
  TempImage image;
  image.WriteFile("C:\\busy.exe", "x");
  platform::HANDLE holder = image.Files().CreateFileA("C:\\busy.exe", platform::GENERIC_READ, 0,
                                                      nullptr, platform::OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, platform::INVALID_HANDLE_VALUE);
  EXPECT_EQ(Md5OfFile(image.Files(), "C:\\busy.exe"), std::nullopt);
  platform::CloseHandle(holder);
  EXPECT_EQ(Md5OfFile(image.Files(), "C:\\busy.exe"), Md5OfText("x"));
}

}  // namespace
}  // namespace foundation
