#include "platform/windows_path.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

std::string Full(const std::string& path, const std::string& current = "C:\\Work\\Here",
                 unsigned codePage = 1252) {
  std::string full;
  EXPECT_EQ(MakeFullPath(CodePage(codePage), path, current, full), ERROR_SUCCESS) << path;
  return full;
}

TEST(WindowsPath, MakesPathsFullAndNormal) {
  EXPECT_EQ(Full("file.txt"), "C:\\Work\\Here\\file.txt");
  EXPECT_EQ(Full("..\\x"), "C:\\Work\\x");
  EXPECT_EQ(Full("\\top"), "C:\\top");
  EXPECT_EQ(Full("d:/a//b/./c"), "D:\\a\\b\\c");
  EXPECT_EQ(Full("C:sub"), "C:\\Work\\Here\\sub");
  EXPECT_EQ(Full("E:sub"), "E:\\sub");
  EXPECT_EQ(Full("C:\\a\\b\\"), "C:\\a\\b\\");
  EXPECT_EQ(Full("C:\\name. . "), "C:\\name");
  EXPECT_EQ(Full("c:"), "C:\\Work\\Here");
  EXPECT_EQ(Full("\\\\server\\share\\x"), "\\\\server\\share\\x");
}

TEST(WindowsPath, DotDotNeverRisesAboveTheDriveRoot) {
  EXPECT_EQ(Full("C:\\..\\..\\..\\etc\\passwd"), "C:\\etc\\passwd");
  EXPECT_EQ(Full("..\\..\\..\\..\\x"), "C:\\x");
}

TEST(WindowsPath, SplitsAndRejectsWhatWindowsCannotHold) {
  CodePage codePage;
  DrivePath path;
  ASSERT_EQ(SplitDrivePath(codePage, "C:\\Program Files\\App", path), ERROR_SUCCESS);
  EXPECT_EQ(path.drive, 'C');
  EXPECT_EQ(path.components, (std::vector<std::string>{"Program Files", "App"}));
  EXPECT_EQ(SplitDrivePath(codePage, "C:\\a|b", path), ERROR_INVALID_NAME);
  EXPECT_EQ(SplitDrivePath(codePage, "C:\\a*", path), ERROR_INVALID_NAME);
  EXPECT_EQ(SplitDrivePath(codePage, "\\\\server\\share", path), ERROR_BAD_NETPATH);
  EXPECT_EQ(SplitDrivePath(codePage, "C:\\" + std::string(300, 'a'), path),
            ERROR_FILENAME_EXCED_RANGE);
}

TEST(WindowsPath, DoubleByteCharactersMayEndInABackslashByte) {
  // In code page 932 the character 0x95 0x5C has a backslash as its second byte.
  const std::string name = "a\x95\x5C";
  EXPECT_EQ(Full("C:\\" + name + "\\b", "C:\\", 932), "C:\\" + name + "\\b");
  DrivePath path;
  ASSERT_EQ(SplitDrivePath(CodePage(932), "C:\\" + name + "\\b", path), ERROR_SUCCESS);
  EXPECT_EQ(path.components, (std::vector<std::string>{name, "b"}));
  // The same bytes in a single-byte code page end the name early.
  ASSERT_EQ(SplitDrivePath(CodePage(1252), "C:\\" + name + "\\b", path), ERROR_SUCCESS);
  EXPECT_EQ(path.components, (std::vector<std::string>{"a\x95", "b"}));
}

}  // namespace
}  // namespace platform
