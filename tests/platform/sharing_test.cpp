// Share modes between handles and processes, and the files of running programs.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "platform/last_error.h"
#include "support/helper_process.h"
#include "support/temp_image.h"

extern char** environ;

namespace platform {
namespace {

using testing_support::TempImage;

HANDLE Open(Files& files, const char* path, DWORD access, DWORD share) {
  return files.CreateFileA(path, access, share, nullptr, OPEN_EXISTING, 0, nullptr);
}

// A helper process that holds a file open through the layer until it is let go.
testing_support::HelperProcess Holder(const std::string& image, const std::string& path,
                                      DWORD access, DWORD share) {
  return testing_support::HelperProcess(
      {VEXMARL_TEST_HOLDER, image, path, std::to_string(access), std::to_string(share)});
}

TEST(Sharing, HandlesInOneProcessRespectShareModes) {
  TempImage image;
  Files& files = image.Files();
  image.WriteFile("C:\\shared.txt", "data");
  HANDLE reader = Open(files, "C:\\shared.txt", GENERIC_READ, FILE_SHARE_READ);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  HANDLE second = Open(files, "C:\\shared.txt", GENERIC_READ, FILE_SHARE_READ);
  EXPECT_NE(second, INVALID_HANDLE_VALUE);
  // The first handle does not share writing.
  EXPECT_EQ(Open(files, "C:\\shared.txt", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  // A new handle that refuses reading conflicts with the readers.
  EXPECT_EQ(Open(files, "C:\\shared.txt", GENERIC_READ, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(files.DeleteFileA("C:\\shared.txt"));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  CloseHandle(second);
  CloseHandle(reader);
  HANDLE writer = Open(files, "C:\\shared.txt", GENERIC_WRITE, 0);
  EXPECT_NE(writer, INVALID_HANDLE_VALUE);
  CloseHandle(writer);
  EXPECT_TRUE(files.DeleteFileA("C:\\shared.txt"));
}

TEST(Sharing, AnotherProcessHoldingAFileCausesSharingViolations) {
  TempImage image;
  Files& files = image.Files();
  image.WriteFile("C:\\held.log", "log");
  {
    // This process holds the file without sharing: the other one is refused.
    HANDLE mine = Open(files, "C:\\held.log", GENERIC_READ, 0);
    ASSERT_NE(mine, INVALID_HANDLE_VALUE);
    auto refused = Holder(image.Root(), "C:\\held.log", GENERIC_READ, FILE_SHARE_READ);
    EXPECT_EQ(refused.Report(), "error 32");
    CloseHandle(mine);
  }
  {
    auto holder =
        Holder(image.Root(), "C:\\held.log", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ);
    ASSERT_EQ(holder.Report(), "open");
    HANDLE reader = Open(files, "C:\\held.log", GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE) << GetLastError();
    CloseHandle(reader);
    EXPECT_EQ(Open(files, "C:\\held.log", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_FALSE(files.DeleteFileA("C:\\held.log"));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  }
  // The helper has ended, and its locks with it.
  EXPECT_TRUE(files.DeleteFileA("C:\\held.log")) << GetLastError();
}

TEST(Sharing, TheProgramOfARunningProcessCannotBeDeletedOrWritten) {
  TempImage image;
  Files& files = image.Files();
  const std::string program = image.HostPath("WINDOWS/sleeper.exe");
  std::filesystem::create_directories(image.HostPath("WINDOWS"));
  std::filesystem::copy_file("/bin/sleep", program);
  pid_t child = 0;
  const char* argv[] = {program.c_str(), "30", nullptr};
  ASSERT_EQ(
      posix_spawn(&child, program.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ), 0);
  // Wait until the child runs the program rather than the spawn's copy of this process.
  bool running = false;
  for (int i = 0; i < 500 && !running; ++i) {
    std::error_code error;
    running =
        std::filesystem::equivalent("/proc/" + std::to_string(child) + "/exe", program, error);
    if (!running) usleep(10000);
  }
  ASSERT_TRUE(running);

  EXPECT_FALSE(files.DeleteFileA("C:\\WINDOWS\\sleeper.exe"));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(Open(files, "C:\\WINDOWS\\sleeper.exe", GENERIC_WRITE, FILE_SHARE_READ),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  HANDLE reader = Open(files, "C:\\WINDOWS\\sleeper.exe", GENERIC_READ, FILE_SHARE_READ);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  CloseHandle(reader);

  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  EXPECT_TRUE(files.DeleteFileA("C:\\WINDOWS\\sleeper.exe")) << GetLastError();
}

}  // namespace
}  // namespace platform
