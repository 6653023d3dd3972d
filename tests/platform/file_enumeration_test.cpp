// Enumerating folders of an image with FindFirstFileA and FindNextFileA.
#include <gtest/gtest.h>

#include <filesystem>
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
  // Names that differ in case alone follow each other in byte order.
  for (const char* name : {"c", "b", "B", "a"})
    image.WriteHostFile(std::string("twins/") + name, "");
  EXPECT_EQ(Names(files, "C:\\twins\\*"), (Names_{".", "..", "a", "B", "b", "c"}));
  // The drive root has no "." and "..".
  EXPECT_EQ(Names(files, "C:\\*"), (Names_{"dir", "twins"}));
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

namespace platform {
namespace {

// What FindFirstFileExA gives for each entry: name, attributes, size, short name.
std::vector<std::string> Entries(Files& files, const std::string& pattern, FINDEX_INFO_LEVELS level,
                                 DWORD flags) {
  std::vector<std::string> entries;
  WIN32_FIND_DATAA data;
  HANDLE find =
      files.FindFirstFileExA(pattern.c_str(), level, &data, FindExSearchNameMatch, nullptr, flags);
  if (find == INVALID_HANDLE_VALUE) return {"error " + std::to_string(GetLastError())};
  do {
    entries.push_back(std::string(data.cFileName) + " " + std::to_string(data.dwFileAttributes) +
                      " " + std::to_string(data.nFileSizeLow) + " " + data.cAlternateFileName);
  } while (files.FindNextFileA(find, &data));
  files.FindClose(find);
  return entries;
}

TEST(FileEnumeration, BasicLevelAndNamesOnlyReadLess) {
  TempImage image;
  image.WriteHostFile("dir/Long File Name.txt", "12345");
  image.WriteHostFile("dir/Sub/x", "");
  std::filesystem::create_directory_symlink(image.HostPath("dir/Sub"), image.HostPath("dir/ToSub"));
  Files& files = image.Files();
  const std::string dir = std::to_string(FILE_ATTRIBUTE_DIRECTORY);
  const std::string link = std::to_string(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
  // The standard level: sizes and 8.3 names.
  auto standard = Entries(files, "C:\\dir\\*.*", FindExInfoStandard, 0);
  ASSERT_EQ(standard.size(), 5u);
  EXPECT_EQ(standard[2].rfind("Long File Name.txt ", 0), 0u);
  EXPECT_NE(standard[2].find(" 5 LONGFI~1.TXT"), std::string::npos) << standard[2];
  // Basic: no 8.3 names; names only: no sizes, files NORMAL, links still filled whole.
  auto basic = Entries(files, "C:\\dir\\*.*", FindExInfoBasic, FIND_FIRST_EX_NAMES_ONLY);
  EXPECT_EQ(basic, (std::vector<std::string>{". " + dir + " 0 ", ".. " + dir + " 0 ",
                                             "Long File Name.txt 128 0 ", "Sub " + dir + " 0 ",
                                             "ToSub " + link + " 0 "}));
  // A pattern that only an 8.3 name matches still matches at the basic level.
  EXPECT_EQ(Entries(files, "C:\\dir\\LONGFI~1.TXT", FindExInfoBasic, 0).size(), 1u);
  EXPECT_EQ(Entries(files, "C:\\dir\\*", static_cast<FINDEX_INFO_LEVELS>(3), 0).front(),
            "error 87");
}

}  // namespace
}  // namespace platform
