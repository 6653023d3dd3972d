// Enumerating folders of an image with FindFirstFileA and FindNextFileA.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/last_error.h"
#include "support/temp_image.h"

namespace platform {
namespace {

using testing_support::TempImage;

std::vector<std::string> Names(Files& files, const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = files.FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return {"error " + std::to_string(GetLastError())};
  do {
    names.push_back(data.cFileName);
  } while (files.FindNextFileA(find, &data));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(files.FindClose(find));
  return names;
}

using Names_ = std::vector<std::string>;

TEST(FileEnumeration, WildcardsFollowWindowsRules) {
  TempImage image;
  for (const char* name : {"b.txt", "A.TXT", "Makefile", "notes.txt.bak", "Long Name File.html"})
    image.WriteHostFile(std::string("dir/") + name, "x");
  Files& files = image.Files();
  EXPECT_EQ(
      Names(files, "C:\\dir\\*.*"),
      (Names_{".", "..", "A.TXT", "b.txt", "Long Name File.html", "Makefile", "notes.txt.bak"}));
  EXPECT_EQ(Names(files, "C:\\dir\\*.txt"), (Names_{"A.TXT", "b.txt"}));
  EXPECT_EQ(Names(files, "c:/DIR/?.txt"), (Names_{"A.TXT", "b.txt"}));
  EXPECT_EQ(Names(files, "C:\\dir\\*."), (Names_{"Makefile"}));
  // The short name LONGNA~1.HTM matches "*.htm" as on Windows.
  EXPECT_EQ(Names(files, "C:\\dir\\*.htm"), (Names_{"Long Name File.html"}));
  EXPECT_EQ(Names(files, "C:\\dir\\makefile"), (Names_{"Makefile"}));
  EXPECT_EQ(Names(files, "C:\\dir\\*.doc"), (Names_{"error 2"}));
  EXPECT_EQ(Names(files, "C:\\nowhere\\*"), (Names_{"error 3"}));
  // The drive root has no "." and "..".
  EXPECT_EQ(Names(files, "C:\\*"), (Names_{"dir"}));
}

TEST(FileEnumeration, ReportsAttributesSizesAndShortNames) {
  TempImage image;
  image.WriteHostFile("dir/Hidden Settings.ini", std::string(1500, 'x'));
  image.WriteHostFile("dir/sub/keep", "");
  Files& files = image.Files();
  ASSERT_TRUE(files.SetFileAttributesA(
      "C:\\dir\\Hidden Settings.ini",
      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY));
  WIN32_FIND_DATAA data;
  HANDLE find = files.FindFirstFileA("C:\\dir\\h*", &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(data.cFileName, "Hidden Settings.ini");
  EXPECT_STREQ(data.cAlternateFileName, "HIDDEN~1.INI");
  EXPECT_EQ(data.dwFileAttributes,
            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(data.nFileSizeLow, 1500u);
  EXPECT_EQ(data.nFileSizeHigh, 0u);
  EXPECT_NE(data.ftLastWriteTime.dwHighDateTime, 0u);
  EXPECT_FALSE(files.FindNextFileA(find, &data));
  files.FindClose(find);

  find = files.FindFirstFileA("C:\\dir\\sub", &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_STREQ(data.cAlternateFileName, "");  // "sub" is already a short name
  files.FindClose(find);

  EXPECT_FALSE(files.FindNextFileA(find, &data));  // closed
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

}  // namespace
}  // namespace platform
