// Opening, reading, writing and positioning files of an image.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/file_time.h"
#include "platform/image/file_facts.h"
#include "platform/last_error.h"
#include "support/temp_image.h"

namespace platform {
namespace {

using testing_support::TempImage;

HANDLE Open(Files& files, const char* path, DWORD access, DWORD disposition, DWORD share = 0) {
  return files.CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
}

TEST(FileIo, CreationDispositionsAndTheirStatusCodes) {
  TempImage image;
  Files& files = image.Files();
  EXPECT_EQ(Open(files, "C:\\a.txt", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Open(files, "C:\\no\\a.txt", GENERIC_WRITE, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

  HANDLE file = Open(files, "C:\\a.txt", GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  DWORD written = 0;
  ASSERT_TRUE(files.WriteFile(file, "hello world", 11, &written, nullptr));
  EXPECT_EQ(written, 11u);
  // Opened for writing only: reading is refused.
  char buffer[32];
  DWORD read = 0;
  EXPECT_FALSE(files.ReadFile(file, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

  EXPECT_EQ(Open(files, "C:\\A.TXT", GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  file = Open(files, "C:\\A.TXT", GENERIC_READ, OPEN_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  ASSERT_TRUE(files.ReadFile(file, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "hello world");
  ASSERT_TRUE(files.ReadFile(file, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(read, 0u);  // the end of the file reads as nothing, successfully
  CloseHandle(file);

  file = Open(files, "C:\\a.txt", GENERIC_READ | GENERIC_WRITE, TRUNCATE_EXISTING);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(files.GetFileSize(file, nullptr), 0u);
  CloseHandle(file);
  // The name keeps the spelling it was created with.
  EXPECT_TRUE(std::filesystem::exists(image.HostPath("a.txt")));

  EXPECT_EQ(Open(files, "C:\\", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST(FileIo, SeeksAndReportsSizesBeyondFourGigabytes) {
  TempImage image;
  Files& files = image.Files();
  HANDLE file = Open(files, "C:\\big.bin", GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LARGE_INTEGER distance, position;
  distance.QuadPart = 5'000'000'000LL;
  ASSERT_TRUE(files.SetFilePointerEx(file, distance, &position, FILE_BEGIN));
  EXPECT_EQ(position.QuadPart, 5'000'000'000LL);
  ASSERT_TRUE(files.WriteFile(file, "end", 3, nullptr, nullptr));
  DWORD high = 0;
  EXPECT_EQ(files.GetFileSize(file, &high), static_cast<DWORD>(5'000'000'003LL));
  EXPECT_EQ(high, 1u);

  LONG moveHigh = -1;  // with a high part, the distance is its 64 bits
  EXPECT_EQ(files.SetFilePointer(file, -3, &moveHigh, FILE_END),
            static_cast<DWORD>(5'000'000'000LL));
  EXPECT_EQ(moveHigh, 1);
  char buffer[3];
  DWORD read = 0;
  ASSERT_TRUE(files.ReadFile(file, buffer, 3, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), "end");
  EXPECT_EQ(files.SetFilePointer(file, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);

  ASSERT_EQ(files.SetFilePointer(file, 10, nullptr, FILE_BEGIN), 10u);
  ASSERT_TRUE(files.SetEndOfFile(file));
  LARGE_INTEGER size;
  ASSERT_TRUE(files.GetFileSizeEx(file, &size));
  EXPECT_EQ(size.QuadPart, 10);
  CloseHandle(file);
}

TEST(FileIo, FileTimesCanBeSetAndRead) {
  TempImage image;
  Files& files = image.Files();
  HANDLE file = Open(files, "C:\\t.txt", GENERIC_WRITE, CREATE_ALWAYS);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  // 2004-01-02 03:04:05 UTC, and a creation time a day before.
  const FILETIME written = FileTimeFromUnix(1073012645, 0);
  const FILETIME created = FileTimeFromUnix(1073012645 - 86400, 0);
  ASSERT_TRUE(files.SetFileTime(file, &created, nullptr, &written));
  FILETIME creation, access, lastWrite;
  ASSERT_TRUE(files.GetFileTime(file, &creation, &access, &lastWrite));
  EXPECT_EQ(lastWrite.dwHighDateTime, written.dwHighDateTime);
  EXPECT_EQ(lastWrite.dwLowDateTime, written.dwLowDateTime);
  EXPECT_EQ(creation.dwHighDateTime, created.dwHighDateTime);
  EXPECT_EQ(creation.dwLowDateTime, created.dwLowDateTime);
  CloseHandle(file);

  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(files.GetFileAttributesExA("C:\\t.txt", GetFileExInfoStandard, &data));
  EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, written.dwLowDateTime);
  EXPECT_EQ(data.ftCreationTime.dwLowDateTime, created.dwLowDateTime);
}

TEST(FileIo, CreatesFilesWithTheRequestedAttributes) {
  TempImage image;
  Files& files = image.Files();
  HANDLE file = files.CreateFileA("C:\\ro.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(files.WriteFile(file, "x", 1, nullptr, nullptr));  // the creating handle writes
  CloseHandle(file);
  EXPECT_EQ(files.GetFileAttributesA("C:\\ro.txt"),
            FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(Open(files, "C:\\ro.txt", GENERIC_WRITE, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  image.WriteFile("C:\\plain.txt", "p");
  EXPECT_EQ(files.GetFileAttributesA("C:\\plain.txt"), FILE_ATTRIBUTE_ARCHIVE);
  ASSERT_TRUE(files.SetFileAttributesA("C:\\plain.txt", FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(files.GetFileAttributesA("C:\\plain.txt"), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace platform
