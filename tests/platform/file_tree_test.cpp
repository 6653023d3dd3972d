// Deleting, folders, moving and copying in an image.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "platform/last_error.h"
#include "support/temp_image.h"

namespace platform {
namespace {

using testing_support::TempImage;

TEST(FileTree, ReadOnlyFilesRefuseDeletionAndOverwriting) {
  TempImage image;
  Files& files = image.Files();
  image.WriteFile("C:\\locked.dat", "keep me");
  ASSERT_TRUE(files.SetFileAttributesA("C:\\locked.dat", FILE_ATTRIBUTE_READONLY));
  // Refused even though the tests may run as root.
  EXPECT_FALSE(files.DeleteFileA("C:\\locked.dat"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  image.WriteFile("C:\\other.dat", "other");
  EXPECT_FALSE(files.CopyFileA("C:\\other.dat", "C:\\locked.dat", FALSE));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(files.MoveFileExA("C:\\other.dat", "C:\\locked.dat", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(image.ReadFile("C:\\locked.dat"), "keep me");

  ASSERT_TRUE(files.SetFileAttributesA("C:\\locked.dat", FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(files.DeleteFileA("C:\\LOCKED.DAT"));
  EXPECT_FALSE(files.PathFileExistsA("C:\\locked.dat"));
  EXPECT_FALSE(files.DeleteFileA("C:\\locked.dat"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(FileTree, FoldersAreMadeAndRemovedWithWindowsStatusCodes) {
  TempImage image;
  Files& files = image.Files();
  EXPECT_TRUE(files.CreateDirectoryA("C:\\Folder", nullptr));
  EXPECT_FALSE(files.CreateDirectoryA("C:\\FOLDER", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_FALSE(files.CreateDirectoryA("C:\\missing\\x", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  image.WriteFile("C:\\folder\\f.txt", "f");
  EXPECT_FALSE(files.DeleteFileA("C:\\folder"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(files.RemoveDirectoryA("C:\\folder"));
  EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
  EXPECT_FALSE(files.RemoveDirectoryA("C:\\folder\\f.txt"));
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
  ASSERT_TRUE(files.DeleteFileA("C:\\folder\\f.txt"));
  ASSERT_TRUE(files.SetFileAttributesA("C:\\folder", FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(files.GetFileAttributesA("C:\\folder"),
            FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(files.RemoveDirectoryA("C:\\folder"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  ASSERT_TRUE(files.SetFileAttributesA("C:\\folder", FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(files.RemoveDirectoryA("C:\\folder"));
  EXPECT_FALSE(files.RemoveDirectoryA("C:\\"));
}

TEST(FileTree, MovesAndRenames) {
  TempImage image;
  Files& files = image.Files();
  image.WriteFile("C:\\one.txt", "1");
  image.WriteFile("C:\\two.txt", "2");
  EXPECT_FALSE(files.MoveFileA("C:\\one.txt", "C:\\two.txt"));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_TRUE(files.MoveFileExA("C:\\one.txt", "C:\\two.txt", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(image.ReadFile("C:\\two.txt"), "1");
  EXPECT_FALSE(files.PathFileExistsA("C:\\one.txt"));
  // Only the letter case changes.
  EXPECT_TRUE(files.MoveFileA("C:\\two.txt", "C:\\Two.TXT"));
  EXPECT_TRUE(std::filesystem::exists(image.HostPath("Two.TXT")));
  EXPECT_FALSE(std::filesystem::exists(image.HostPath("two.txt")));
  ASSERT_TRUE(files.CreateDirectoryA("C:\\dir", nullptr));
  EXPECT_TRUE(files.MoveFileA("C:\\dir", "C:\\moved"));
  EXPECT_TRUE(files.MoveFileA("C:\\two.txt", "C:\\moved\\two.txt"));
  EXPECT_EQ(image.ReadFile("C:\\moved\\two.txt"), "1");
  EXPECT_FALSE(files.MoveFileA("C:\\nothing", "C:\\x"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(FileTree, CopiesWithAndWithoutOverwriting) {
  TempImage image;
  Files& files = image.Files();
  image.WriteFile("C:\\src.txt", "source");
  ASSERT_TRUE(files.SetFileAttributesA("C:\\src.txt", FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(files.CopyFileA("C:\\src.txt", "C:\\dst.txt", TRUE));
  EXPECT_EQ(image.ReadFile("C:\\dst.txt"), "source");
  EXPECT_EQ(files.GetFileAttributesA("C:\\dst.txt"), FILE_ATTRIBUTE_HIDDEN);
  WIN32_FILE_ATTRIBUTE_DATA from, to;
  ASSERT_TRUE(files.GetFileAttributesExA("C:\\src.txt", GetFileExInfoStandard, &from));
  ASSERT_TRUE(files.GetFileAttributesExA("C:\\dst.txt", GetFileExInfoStandard, &to));
  EXPECT_EQ(from.ftLastWriteTime.dwLowDateTime, to.ftLastWriteTime.dwLowDateTime);

  image.WriteFile("C:\\src.txt", "changed");
  EXPECT_FALSE(files.CopyFileA("C:\\src.txt", "C:\\dst.txt", TRUE));
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  EXPECT_EQ(image.ReadFile("C:\\dst.txt"), "source");
  EXPECT_TRUE(files.CopyFileA("C:\\src.txt", "C:\\dst.txt", FALSE));
  EXPECT_EQ(image.ReadFile("C:\\dst.txt"), "changed");
  EXPECT_FALSE(files.CopyFileA("C:\\none.txt", "C:\\dst.txt", FALSE));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(FileTree, TemporaryFolderComesFromTheEnvironment) {
  TempImage image;
  ImageFiles plain(image.Machine().Image(), CodePage());
  char buffer[MAX_PATH];
  ASSERT_GT(plain.GetTempPathA(sizeof buffer, buffer), 0u);
  EXPECT_STREQ(buffer, "C:\\WINDOWS\\");
  ImageFiles withTemp(image.Machine().Image(), CodePage(), [](const std::string& name) {
    return name == "TEMP" ? std::optional<std::string>("C:\\DOCUME~1\\User\\LOCALS~1\\Temp")
                          : std::nullopt;
  });
  DWORD length = withTemp.GetTempPathA(sizeof buffer, buffer);
  EXPECT_STREQ(buffer, "C:\\DOCUME~1\\User\\LOCALS~1\\Temp\\");
  EXPECT_EQ(length, std::strlen(buffer));
}

}  // namespace
}  // namespace platform
