// The shell of the Windows system: programs started through ShellExecuteExA and
// CreateProcessA give process handles the processes service waits on and ends, failures
// come back as the shell's codes, and shortcuts made by the system's own link object are read
// back without the link being resolved.
#include "platform/win32/win32_shell.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/code_page.h"
#include "platform/last_error.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system.h"
#include "shell_test_calls.h"

namespace platform {
namespace {

constexpr DWORD kStartWait = 10000;  // ms for a started program to do its work

class Win32ShellTest : public testing::Test {
 protected:
  Win32ShellTest()
      : system_(registry_),
        code_(system_.GetACP()),
        files_(code_),
        processes_(files_),
        shell_(files_, system_) {}

  void SetUp() override {
    char temp[MAX_PATH];
    const DWORD length = files_.GetTempPathA(sizeof temp, temp);
    ASSERT_TRUE(length > 0 && length < sizeof temp);
    folder_ = std::string(temp) + "vexmarl-shell-" +
              std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    ASSERT_TRUE(files_.CreateDirectoryA(folder_.c_str(), nullptr)) << GetLastError();
  }

  void TearDown() override {
    for (const std::string& name : made_) files_.DeleteFileA((folder_ + "\\" + name).c_str());
    EXPECT_TRUE(files_.RemoveDirectoryA(folder_.c_str())) << GetLastError();
  }

  // A file of the test's folder with the text; its path.
  std::string Make(const std::string& name, const std::string& text) {
    const std::string path = folder_ + "\\" + name;
    std::ofstream(path, std::ios::binary) << text;
    made_.push_back(name);
    return path;
  }

  // A file a started program made in the test's folder, whole (removed at the end).
  std::string Take(const std::string& name) {
    made_.push_back(name);
    std::ifstream file(folder_ + "\\" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }

  Win32Registry registry_;
  Win32System system_;
  CodePage code_;
  Win32Files files_;
  Win32Processes processes_;
  Win32Shell shell_;
  std::string folder_;
  std::vector<std::string> made_;
};

TEST_F(Win32ShellTest, AProgramStartedThroughTheShellIsWaitedOnAndEnded) {
  SHELLEXECUTEINFOA info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = VEXMARL_STAND_IN;
  info.nShow = SW_HIDE;
  ASSERT_TRUE(shell_.ShellExecuteExA(&info)) << GetLastError();
  EXPECT_GT(reinterpret_cast<std::uintptr_t>(info.hInstApp), 32u);
  ASSERT_NE(info.hProcess, nullptr);
  EXPECT_EQ(processes_.WaitForSingleObject(info.hProcess, 200), WAIT_TIMEOUT);
  EXPECT_TRUE(processes_.TerminateProcess(info.hProcess, 1));
  EXPECT_EQ(processes_.WaitForSingleObject(info.hProcess, kStartWait), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(info.hProcess));
}

TEST_F(Win32ShellTest, AMissingFileIsTheShellsFileNotFound) {
  const std::string missing = folder_ + "\\missing.exe";
  SHELLEXECUTEINFOA info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = missing.c_str();
  EXPECT_FALSE(shell_.ShellExecuteExA(&info));
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(info.hInstApp), SE_ERR_FNF);
  EXPECT_EQ(info.hProcess, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(
                shell_.ShellExecuteA(nullptr, "open", missing.c_str(), nullptr, nullptr, SW_HIDE)),
            SE_ERR_FNF);
}

TEST_F(Win32ShellTest, AStartedProgramRunsItsCommandLineInTheFolderGiven) {
  const std::string interpreter = system_.SystemDirectory() + "\\cmd.exe";
  HANDLE process = shell_.StartProgram(interpreter, "cmd.exe /c cd > here.txt", folder_);
  ASSERT_NE(process, nullptr) << GetLastError();
  EXPECT_EQ(processes_.WaitForSingleObject(process, kStartWait), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(process));
  EXPECT_EQ(code_.Lower(Take("here.txt")), code_.Lower(folder_) + "\r\n");

  EXPECT_EQ(shell_.StartProgram(folder_ + "\\missing.exe", "missing.exe", ""), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(Win32ShellTest, ProgramsAreFoundInTheWindowsFolder) {
  const auto found = shell_.FindProgram("regedit");
  ASSERT_TRUE(found);
  EXPECT_EQ(code_.Lower(*found), code_.Lower(system_.WindowsDirectory() + "\\regedit.exe"));
}

TEST_F(Win32ShellTest, AShortcutLeadsToItsPathUnresolvedAndOtherFilesNowhere) {
  const std::string target = Make("target.exe", "MZ");
  made_.push_back("target.lnk");
  ASSERT_TRUE(win32::SaveShortcut(folder_ + "\\target.lnk", target));
  EXPECT_EQ(code_.Lower(shell_.ShortcutTarget(folder_ + "\\target.lnk")), code_.Lower(target));
  // The target is not looked for: a link to a file that has gone still names it.
  files_.DeleteFileA(target.c_str());
  EXPECT_EQ(code_.Lower(shell_.ShortcutTarget(folder_ + "\\target.lnk")), code_.Lower(target));

  EXPECT_EQ(shell_.ShortcutTarget(Make("text.lnk", "no shortcut")), "");
  EXPECT_EQ(shell_.ShortcutTarget(folder_ + "\\missing.lnk"), "");
}

TEST(Win32CommandLineTest, IsThisProgramsOwn) {
  EXPECT_NE(CodePage().Lower(GetCommandLineA()).find("win32_shell_test"), std::string::npos)
      << GetCommandLineA();
}

}  // namespace
}  // namespace platform
