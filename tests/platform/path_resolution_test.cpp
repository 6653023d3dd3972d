// Finding objects of an image by Windows path: letter case, short names, links and "..".
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/image/folder_names.h"
#include "platform/image/host_calls.h"
#include "platform/last_error.h"
#include "support/temp_image.h"

namespace platform {
namespace {

using testing_support::TempImage;

std::string ShortPath(Files& files, const std::string& path) {
  char buffer[MAX_PATH];
  DWORD length = files.GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
  return length > 0 && length < sizeof buffer ? buffer : "error " + std::to_string(GetLastError());
}

std::string LongPath(Files& files, const std::string& path) {
  char buffer[MAX_PATH];
  DWORD length = files.GetLongPathNameA(path.c_str(), buffer, sizeof buffer);
  return length > 0 && length < sizeof buffer ? buffer : "error " + std::to_string(GetLastError());
}

// A library that opens the process's machine again sees the program's current folder: one a
// process and image, as the system keeps it.
TEST(PathResolution, TheCurrentFolderIsOneForEveryMachineOfTheProcess) {
  TempImage image;
  image.WriteHostFile("App/file.txt", "x");
  auto second = ImageMachine::Open(image.Root());
  ASSERT_TRUE(second);
  ASSERT_TRUE(image.Files().SetCurrentDirectoryA("C:\\App"));
  char current[MAX_PATH] = {};
  second->files().GetCurrentDirectoryA(MAX_PATH, current);
  EXPECT_STREQ(current, "C:\\App");
  EXPECT_NE(second->files().GetFileAttributesA("file.txt"), INVALID_FILE_ATTRIBUTES);
  TempImage other;  // another image keeps its own
  other.Files().GetCurrentDirectoryA(MAX_PATH, current);
  EXPECT_STRNE(current, "C:\\App");
}

TEST(PathResolution, NamesMatchWithoutRegardToCase) {
  TempImage image;
  image.WriteHostFile("Program Files/Vendor/App.EXE", "program");
  EXPECT_EQ(image.ReadFile("c:\\PROGRAM FILES\\vendor\\app.exe"), "program");
  EXPECT_EQ(LongPath(image.Files(), "c:\\program files\\VENDOR\\app.exe"),
            "C:\\Program Files\\Vendor\\App.EXE");
  EXPECT_EQ(image.Files().GetFileAttributesA("C:\\Program Files\\Nobody\\x.exe"),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(image.Files().GetFileAttributesA("C:\\Program Files\\Vendor\\none.exe"),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(image.Files().GetFileAttributesA("Q:\\x"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

// A folder's names are kept between lookups (watched, or by change times once it has not
// changed for a while): whatever is done to it afterwards, even at once, is seen by the next
// lookup.
void FollowEveryChange(bool timesOnly) {
  KeepFolderNamesByTimesOnly(timesOnly);
  TempImage image;
  image.WriteHostFile("Settled/other.txt", "x");
  image.WriteHostFile("Settled/Twin.txt", "upper");
  image.WriteHostFile("Settled/twin.TXT", "lower");
  const std::filesystem::path folder = image.HostPath("Settled");
  if (timesOnly) usleep(400000);  // long enough for the folder's names to be kept
  Files& files = image.Files();
  auto exists = [&](const char* path) {
    return files.GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
  };
  EXPECT_FALSE(exists("C:\\Settled\\new.txt"));
  // Names that differ in case alone: the exact spelling wins, else the first in byte order.
  EXPECT_EQ(image.ReadFile("C:\\settled\\twin.TXT"), "lower");
  EXPECT_EQ(image.ReadFile("C:\\settled\\Twin.txt"), "upper");
  EXPECT_EQ(image.ReadFile("C:\\settled\\TWIN.TXT"), "upper");
  std::ofstream(folder / "NEW.TXT") << "y";
  EXPECT_TRUE(exists("C:\\Settled\\new.txt"));
  std::filesystem::rename(folder / "NEW.TXT", folder / "New.txt");
  char longPath[MAX_PATH];
  ASSERT_GT(files.GetLongPathNameA("C:\\settled\\NEW.TXT", longPath, sizeof longPath), 0u);
  EXPECT_STREQ(longPath, "C:\\Settled\\New.txt");
  std::filesystem::remove(folder / "New.txt");
  EXPECT_FALSE(exists("C:\\Settled\\new.txt"));
  // Moved out to another folder and back in.
  std::filesystem::rename(folder / "other.txt", image.HostPath("other.txt"));
  EXPECT_FALSE(exists("C:\\Settled\\OTHER.TXT"));
  std::filesystem::rename(image.HostPath("other.txt"), folder / "Other.txt");
  EXPECT_TRUE(exists("C:\\Settled\\OTHER.TXT"));
  // The same path made again as another folder.
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "Again.txt") << "z";
  EXPECT_TRUE(exists("C:\\settled\\again.TXT"));
  EXPECT_FALSE(exists("C:\\settled\\OTHER.txt"));
  KeepFolderNamesByTimesOnly(false);
}

TEST(PathResolution, KeptFolderNamesFollowEveryChange) {
  FollowEveryChange(false);
  FollowEveryChange(true);
}

// A folder that changes all the time, by this process and by another: every lookup sees the
// folder as it is, and a child process made by fork answers for itself.
TEST(PathResolution, NamesOfABusyFolderAreAlwaysCurrent) {
  TempImage image;
  image.WriteHostFile("Busy/first.txt", "x");
  const std::filesystem::path folder = image.HostPath("Busy");
  Files& files = image.Files();
  auto exists = [&](const std::string& path) {
    return files.GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  };
  for (int i = 0; i < 200; ++i) {
    const std::string name = "File" + std::to_string(i) + ".TXT";
    ASSERT_FALSE(exists("C:\\busy\\file" + std::to_string(i) + ".txt")) << i;
    if (i % 2 == 0) {
      std::ofstream(folder / name) << i;
    } else {
      // Made by another process.
      const pid_t child = fork();
      if (child == 0) {
        std::ofstream(folder / name) << i;
        _exit(0);
      }
      int status = 0;
      ASSERT_EQ(waitpid(child, &status, 0), child);
    }
    ASSERT_TRUE(exists("C:\\busy\\file" + std::to_string(i) + ".txt")) << i;
    if (i % 3 == 0) {
      std::filesystem::remove(folder / name);
      ASSERT_FALSE(exists("C:\\BUSY\\FILE" + std::to_string(i) + ".TXT")) << i;
    }
  }
  // A child that looks the folder up itself, then the parent again.
  const pid_t child = fork();
  if (child == 0) _exit(exists("C:\\busy\\file1.txt") && !exists("C:\\busy\\file0.txt") ? 0 : 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  std::filesystem::remove(folder / "File1.TXT");
  EXPECT_FALSE(exists("C:\\busy\\file1.txt"));
}

TEST(PathResolution, ShortNamesWorkBothWaysIncludingCollisions) {
  TempImage image;
  image.WriteHostFile("Program Files/Spyware Remover Deluxe/readme.txt", "1");
  image.WriteHostFile("Program Files/Spyware Removal Kit/readme.txt", "2");
  Files& files = image.Files();
  // "Spyware Removal Kit" sorts first, so it gets ~1.
  EXPECT_EQ(ShortPath(files, "C:\\Program Files\\Spyware Removal Kit\\readme.txt"),
            "C:\\PROGRA~1\\SPYWAR~1\\readme.txt");
  EXPECT_EQ(ShortPath(files, "C:\\Program Files\\Spyware Remover Deluxe"),
            "C:\\PROGRA~1\\SPYWAR~2");
  EXPECT_EQ(LongPath(files, "c:\\progra~1\\spywar~2\\README.TXT"),
            "C:\\Program Files\\Spyware Remover Deluxe\\readme.txt");
  EXPECT_EQ(image.ReadFile("C:\\PROGRA~1\\SPYWAR~1\\readme.txt"), "2");
  EXPECT_EQ(ShortPath(files, "C:\\Program Files\\Missing"), "error 2");
}

// The attribute as ntfs-3g shows it for one folder; every other name has none.
ssize_t VolumeDosName(const char* path, const char* name, void* value, size_t size) {
  const std::string_view file(path);
  if (std::string_view(name) != "system.ntfs_dos_name" ||
      !file.ends_with("/Spyware Remover Deluxe")) {
    errno = ENODATA;
    return -1;
  }
  if (size < 8) return 8;
  std::memcpy(value, "SPYWAR~7", 8);
  return 8;
}

TEST(PathResolution, ShortNamesTheVolumeKeepsAreTheSystemsOwn) {
  TempImage image;
  image.WriteHostFile("Program Files/Spyware Remover Deluxe/readme.txt", "1");
  image.WriteHostFile("Program Files/Spyware Removal Kit/readme.txt", "2");
  image.WriteHostFile("Program Files/Spyware Removal Kit 2/readme.txt", "3");
  Host().getxattr = VolumeDosName;
  Files& files = image.Files();
  EXPECT_EQ(ShortPath(files, "C:\\Program Files\\Spyware Remover Deluxe"),
            "C:\\PROGRA~1\\SPYWAR~7");
  EXPECT_EQ(ShortPath(files, "C:\\Program Files\\Spyware Removal Kit 2"), "C:\\PROGRA~1\\SPYWAR~2");
  EXPECT_EQ(image.ReadFile("C:\\PROGRA~1\\SPYWAR~7\\readme.txt"), "1");
  Host() = LibraryCalls();
}

TEST(PathResolution, LinksOutOfTheDrivesAreNotFollowed) {
  TempImage image;
  std::string outside = image.Root() + "/outside";
  std::filesystem::create_directories(outside);
  { std::ofstream(outside + "/secret.txt") << "host data"; }
  image.WriteHostFile("inside/file.txt", "image data");
  ASSERT_EQ(symlink(outside.c_str(), image.HostPath("escape").c_str()), 0);
  ASSERT_EQ(symlink((outside + "/secret.txt").c_str(), image.HostPath("secret.txt").c_str()), 0);
  ASSERT_EQ(symlink(image.HostPath("inside").c_str(), image.HostPath("alias").c_str()), 0);
  Files& files = image.Files();

  EXPECT_EQ(files.CreateFileA("C:\\escape\\secret.txt", GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(
      files.CreateFileA("C:\\secret.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
      INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(files.HostPathOf("C:\\escape\\secret.txt"));
  // A link inside the drives leads where it points; the link itself is a reparse point.
  EXPECT_EQ(image.ReadFile("C:\\alias\\file.txt"), "image data");
  DWORD attributes = files.GetFileAttributesA("C:\\escape");
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_FALSE(attributes & FILE_ATTRIBUTE_DIRECTORY);  // what lies outside is not looked at
  EXPECT_EQ(files.GetFileAttributesA("C:\\alias"),
            FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY);
  // Removing the links leaves their targets alone.
  EXPECT_TRUE(files.RemoveDirectoryA("C:\\alias"));
  EXPECT_TRUE(files.DeleteFileA("C:\\secret.txt"));
  EXPECT_TRUE(std::filesystem::exists(outside + "/secret.txt"));
  EXPECT_EQ(image.ReadFile("C:\\inside\\file.txt"), "image data");
}

TEST(PathResolution, CurrentFolderAndFullPaths) {
  TempImage image;
  image.WriteHostFile("WINDOWS/system32/x.dll", "x");
  Files& files = image.Files();
  ASSERT_TRUE(files.SetCurrentDirectoryA("c:\\windows\\"));
  char buffer[MAX_PATH];
  ASSERT_GT(files.GetCurrentDirectoryA(sizeof buffer, buffer), 0u);
  EXPECT_STREQ(buffer, "C:\\windows");
  EXPECT_EQ(image.ReadFile("system32\\x.dll"), "x");
  EXPECT_EQ(image.ReadFile("..\\..\\..\\WINDOWS\\system32\\x.dll"), "x");

  LPSTR filePart = nullptr;
  DWORD length = files.GetFullPathNameA("system32\\x.dll", sizeof buffer, buffer, &filePart);
  EXPECT_EQ(length, std::strlen("C:\\windows\\system32\\x.dll"));
  EXPECT_STREQ(buffer, "C:\\windows\\system32\\x.dll");
  ASSERT_NE(filePart, nullptr);
  EXPECT_STREQ(filePart, "x.dll");
  // A buffer that is too small asks for the size with the terminating zero.
  EXPECT_EQ(files.GetFullPathNameA("system32\\x.dll", 5, buffer, nullptr), length + 1);

  EXPECT_FALSE(files.SetCurrentDirectoryA("C:\\WINDOWS\\system32\\x.dll"));
  EXPECT_EQ(GetLastError(), ERROR_DIRECTORY);
}

}  // namespace
}  // namespace platform
