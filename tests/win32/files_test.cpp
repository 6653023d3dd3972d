// The files of the real system through the Windows backend, in a folder of their own under
// the temporary folder: wildcards, 8.3 names, what the system refuses to delete or share, the
// delayed move, the handle table, and the answers made for systems that lack a call.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "files_test_calls.h"
#include "platform/last_error.h"
#include "platform/win32/file_fallbacks.h"
#include "platform/win32/win32_files.h"

namespace platform {
namespace {

constexpr const char* kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kPendingRenames = "PendingFileRenameOperations";

class Win32FilesTest : public testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_NE(files_.GetTempPathA(MAX_PATH, temp), 0u);
    const testing::UnitTest& run = *testing::UnitTest::GetInstance();
    folder_ = std::string(temp) + "vexmarl-files-" + run.current_test_info()->name() + "-" +
              std::to_string(run.random_seed());
    ASSERT_TRUE(files_.CreateDirectoryA(folder_.c_str(), nullptr)) << GetLastError();
  }

  void TearDown() override { RemoveTree(folder_); }

  std::string In(const std::string& name) const { return folder_ + "\\" + name; }

  void Write(const std::string& name, const std::string& data = "") {
    HANDLE file =
        files_.CreateFileA(In(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << name << ": " << GetLastError();
    DWORD written = 0;
    EXPECT_TRUE(
        files_.WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr));
    CloseHandle(file);
  }

  // The names a search finds but "." and ".." (which "?" matches as well), or the search's
  // error as "error N".
  std::set<std::string> Found(const std::string& pattern) {
    WIN32_FIND_DATAA record;
    HANDLE search = files_.FindFirstFileA(In(pattern).c_str(), &record);
    if (search == INVALID_HANDLE_VALUE) return {"error " + std::to_string(GetLastError())};
    std::set<std::string> names;
    do {
      const std::string name = record.cFileName;
      if (name != "." && name != "..") names.insert(name);
    } while (files_.FindNextFileA(search, &record));
    if (GetLastError() != ERROR_NO_MORE_FILES)
      names.insert("end " + std::to_string(GetLastError()));
    files_.FindClose(search);
    return names;
  }

  void RemoveTree(const std::string& folder) {
    WIN32_FIND_DATAA record;
    HANDLE search = files_.FindFirstFileA((folder + "\\*").c_str(), &record);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = record.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        files_.SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (record.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveTree(path);
        else
          files_.DeleteFileA(path.c_str());
      } while (files_.FindNextFileA(search, &record));
      files_.FindClose(search);
    }
    files_.RemoveDirectoryA(folder.c_str());
  }

  CodePage codePage_{1252};
  Win32Files files_{codePage_};
  std::string folder_;
};

TEST_F(Win32FilesTest, WildcardsFindWhatTheSystemMatches) {
  for (const char* name : {"a.txt", "b.txt", "c.doc", "x", "ab"}) Write(name);
  EXPECT_EQ(Found("*.txt"), (std::set<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(Found("?"), (std::set<std::string>{"x"}));
  EXPECT_EQ(Found("*.none"), (std::set<std::string>{"error 2"}));  // ERROR_FILE_NOT_FOUND

  // The basic record has no 8.3 name; the layer's own flag is never passed on, and the full
  // record answers it.
  Write("Long Name With Blanks.txt", "12345");
  WIN32_FIND_DATAA record;
  HANDLE search = files_.FindFirstFileA(In("Long*").c_str(), &record);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_STRNE(record.cAlternateFileName, "");
  files_.FindClose(search);
  search =
      files_.FindFirstFileExA(In("Long*").c_str(), FindExInfoBasic, &record, FindExSearchNameMatch,
                              nullptr, FIND_FIRST_EX_LARGE_FETCH | FIND_FIRST_EX_NAMES_ONLY);
  ASSERT_NE(search, INVALID_HANDLE_VALUE) << GetLastError();
  EXPECT_STREQ(record.cFileName, "Long Name With Blanks.txt");
  EXPECT_STREQ(record.cAlternateFileName, "");
  EXPECT_EQ(record.nFileSizeLow, 5u);
  EXPECT_FALSE(files_.FindNextFileA(search, &record));
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  files_.FindClose(search);
}

TEST_F(Win32FilesTest, ShortNamesLeadBackToTheLongOnes) {
  Write("Long Name With Blanks.txt");
  const std::string longPath = In("Long Name With Blanks.txt");
  char shortPath[MAX_PATH], back[MAX_PATH], expected[MAX_PATH];
  const DWORD shortLength = files_.GetShortPathNameA(longPath.c_str(), shortPath, MAX_PATH);
  ASSERT_NE(shortLength, 0u) << GetLastError();
  const std::string shortName =
      std::string(shortPath).substr(std::string(shortPath).rfind('\\') + 1);
  EXPECT_LE(shortName.size(), 12u) << shortName;
  EXPECT_EQ(shortName.find(' '), std::string::npos) << shortName;
  EXPECT_NE(shortName.find('~'), std::string::npos) << shortName;

  // The temporary folder may itself be given in short form (XP's is): the long form of the
  // long path is what the short one must lead back to.
  const DWORD length = files_.GetLongPathNameA(longPath.c_str(), expected, MAX_PATH);
  ASSERT_NE(length, 0u) << GetLastError();
  EXPECT_EQ(files_.GetLongPathNameA(shortPath, back, MAX_PATH), length);
  EXPECT_STREQ(back, expected);
  EXPECT_TRUE(std::string(back).ends_with("\\Long Name With Blanks.txt")) << back;
  // Too small a buffer: the size needed, with the terminating zero.
  EXPECT_EQ(files_.GetLongPathNameA(shortPath, back, 4), length + 1);
}

// Windows 95 and NT 4 lack GetLongPathNameA, Windows 95 GetFileAttributesExA: the answers
// made of older calls are those of the system that has them.
TEST_F(Win32FilesTest, AnswersMadeForOlderSystemsAreTheSystemsOwn) {
  Write("Long Name With Blanks.txt", "data");
  ASSERT_TRUE(files_.CreateDirectoryA(In("Sub Folder").c_str(), nullptr));
  char shortPath[MAX_PATH];
  ASSERT_NE(files_.GetShortPathNameA(In("Sub Folder").c_str(), shortPath, MAX_PATH), 0u);
  const std::string shortFolder = shortPath;
  ASSERT_NE(files_.GetShortPathNameA(In("Long Name With Blanks.txt").c_str(), shortPath, MAX_PATH),
            0u);
  const std::string shortFile = shortPath;
  const std::string shortName = shortFile.substr(shortFile.rfind('\\') + 1);

  char here[MAX_PATH];
  ASSERT_NE(files_.GetCurrentDirectoryA(MAX_PATH, here), 0u);
  ASSERT_TRUE(files_.SetCurrentDirectoryA(folder_.c_str()));
  for (const std::string& path :
       {shortFile, shortFolder + "\\", shortFolder + "\\..\\" + shortName, shortName,
        std::string(".\\") + shortName, In("missing.txt"), In("missing\\x.txt"), std::string()}) {
    char system[MAX_PATH] = "", made[MAX_PATH] = "";
    const DWORD systemLength = files_.GetLongPathNameA(path.c_str(), system, MAX_PATH);
    const DWORD systemError = GetLastError();
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(LongPathByFinding(codePage_, path.c_str(), made, MAX_PATH), systemLength) << path;
    if (systemLength == 0)
      EXPECT_EQ(GetLastError(), systemError) << path;
    else
      EXPECT_STREQ(made, system) << path;
    EXPECT_EQ(LongPathByFinding(codePage_, path.c_str(), made, 3),
              files_.GetLongPathNameA(path.c_str(), system, 3))
        << path;
  }
  EXPECT_TRUE(files_.SetCurrentDirectoryA(here));

  for (const std::string& path : {shortFile, In("Sub Folder\\"), In("missing.txt")}) {
    WIN32_FILE_ATTRIBUTE_DATA system, made;
    const BOOL systemOk = files_.GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &system);
    const DWORD systemError = GetLastError();
    ASSERT_EQ(AttributesByFinding(codePage_, path.c_str(), made), systemOk) << path;
    if (!systemOk) {
      EXPECT_EQ(GetLastError(), systemError) << path;
      continue;
    }
    EXPECT_EQ(made.dwFileAttributes, system.dwFileAttributes) << path;
    EXPECT_EQ(made.nFileSizeLow, system.nFileSizeLow) << path;
    EXPECT_EQ(made.ftLastWriteTime.dwLowDateTime, system.ftLastWriteTime.dwLowDateTime) << path;
    EXPECT_EQ(made.ftCreationTime.dwHighDateTime, system.ftCreationTime.dwHighDateTime) << path;
  }
}

TEST_F(Win32FilesTest, ReadOnlyFilesAndRunningProgramsAreNotDeleted) {
  Write("kept.txt");
  ASSERT_TRUE(files_.SetFileAttributesA(In("kept.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(files_.DeleteFileA(In("kept.txt").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(files_.PathFileExistsA(In("kept.txt").c_str()));

  const std::string program = In("running.exe");
  ASSERT_TRUE(files_.CopyFileA(VEXMARL_STAND_IN, program.c_str(), TRUE)) << GetLastError();
  void* process = files_test::StartProgram(program);
  ASSERT_NE(process, nullptr) << GetLastError();
  EXPECT_FALSE(files_.DeleteFileA(program.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  files_test::EndProgram(process);
  EXPECT_TRUE(files_.DeleteFileA(program.c_str())) << GetLastError();
}

TEST_F(Win32FilesTest, AWriterIsRefusedWhatTheFirstHandleDoesNotShare) {
  Write("shared.txt", "data");
  const std::string path = In("shared.txt");
  // Opening what is there keeps the system's word for it through the handle table.
  HANDLE reader = files_.CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_ALWAYS, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(files_.CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  HANDLE second = files_.CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(second, INVALID_HANDLE_VALUE) << GetLastError();
  CloseHandle(second);
  CloseHandle(reader);
}

// Windows needs an administrator for this (the record is in HKEY_LOCAL_MACHINE).
TEST_F(Win32FilesTest, ADelayedMoveIsRecordedForTheNextStart) {
  Write("now.txt");
  const std::string from = In("now.txt"), to = In("later.txt");
  const files_test::MachineValue before =
      files_test::ReadMachineValue(kSessionManager, kPendingRenames);
  ASSERT_TRUE(files_.MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT))
      << GetLastError();
  const files_test::MachineValue after =
      files_test::ReadMachineValue(kSessionManager, kPendingRenames);
  EXPECT_TRUE(files_test::RestoreMachineValue(kSessionManager, kPendingRenames, before));

  EXPECT_TRUE(files_.PathFileExistsA(from.c_str()));
  EXPECT_FALSE(files_.PathFileExistsA(to.c_str()));
  EXPECT_EQ(after.type, 7u);  // REG_MULTI_SZ: pairs of NT paths, source then target
  const std::string pair = "\\??\\" + from + '\0' + "\\??\\" + to + '\0';
  EXPECT_NE(after.data.find(pair), std::string::npos);
  const files_test::MachineValue restored =
      files_test::ReadMachineValue(kSessionManager, kPendingRenames);
  EXPECT_EQ(restored.exists, before.exists);
  EXPECT_EQ(restored.data, before.data);
}

TEST_F(Win32FilesTest, ClosedAndWrongKindHandlesAreInvalid) {
  Write("file.txt", "data");
  HANDLE file = files_.CreateFileA(In("file.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  WIN32_FIND_DATAA record;
  HANDLE search = files_.FindFirstFileA(In("*").c_str(), &record);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);

  char buffer[4];
  DWORD read = 99;
  EXPECT_FALSE(files_.ReadFile(search, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(read, 0u);
  EXPECT_FALSE(files_.FindNextFileA(file, &record));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(files_.FindClose(file));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

  EXPECT_TRUE(CloseHandle(file));
  EXPECT_FALSE(files_.ReadFile(file, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(files_.GetFileSize(file, nullptr), INVALID_FILE_SIZE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_TRUE(files_.FindClose(search));
  EXPECT_FALSE(files_.FindNextFileA(search, &record));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(Win32FilesTest, HostPathsAreFullPathsInFoldersThatAreThere) {
  char here[MAX_PATH];
  ASSERT_NE(files_.GetCurrentDirectoryA(MAX_PATH, here), 0u);
  ASSERT_TRUE(files_.SetCurrentDirectoryA(folder_.c_str()));
  EXPECT_EQ(files_.HostPathOf("new.txt"), In("new.txt"));
  EXPECT_EQ(files_.WindowsPathOf(".\\new.txt"), In("new.txt"));
  EXPECT_EQ(files_.HostPathOf("missing\\new.txt"), std::nullopt);
  EXPECT_TRUE(files_.SetCurrentDirectoryA(here));
}

// SetFilePointerEx and GetFileSizeEx are made of the calls with high parts, where a low part
// of 0xFFFFFFFF is a position and not a failure.
TEST_F(Win32FilesTest, PositionsAndSizesPastFourGigabytes) {
  HANDLE file = files_.CreateFileA(In("large.bin").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                   nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LARGE_INTEGER distance, position, size;
  distance.QuadPart = 0x1FFFFFFFFll;
  SetLastError(ERROR_INVALID_DATA);  // a stale error is no failure of the call
  ASSERT_TRUE(files_.SetFilePointerEx(file, distance, &position, FILE_BEGIN)) << GetLastError();
  EXPECT_EQ(position.QuadPart, 0x1FFFFFFFFll);
  ASSERT_TRUE(files_.SetEndOfFile(file)) << GetLastError();  // sparse where the system can
  SetLastError(ERROR_INVALID_DATA);
  ASSERT_TRUE(files_.GetFileSizeEx(file, &size));
  EXPECT_EQ(size.QuadPart, 0x1FFFFFFFFll);
  DWORD high = 0;
  SetLastError(ERROR_INVALID_DATA);  // the system clears it when the low part is 0xFFFFFFFF
  EXPECT_EQ(files_.GetFileSize(file, &high), 0xFFFFFFFFu);
  EXPECT_EQ(high, 1u);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);

  distance.QuadPart = -1;
  ASSERT_TRUE(files_.SetFilePointerEx(file, distance, &position, FILE_END));
  EXPECT_EQ(position.QuadPart, 0x1FFFFFFFEll);
  distance.QuadPart = -0x200000000ll;
  EXPECT_FALSE(files_.SetFilePointerEx(file, distance, &position, FILE_CURRENT));
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
  CloseHandle(file);
}

}  // namespace
}  // namespace platform
