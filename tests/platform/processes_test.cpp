// The machine's processes, with real programs started from an image.
#include "platform/image/image_processes.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/temp_image.h"

extern char** environ;

namespace platform {
namespace {

using testing_support::TempImage;

// A copy of a host program inside the image, started and always ended with the test.
class Started {
 public:
  Started(TempImage& image, const std::string& relative) {
    const std::string program = image.HostPath(relative);
    std::filesystem::create_directories(std::filesystem::path(program).parent_path());
    std::filesystem::copy_file("/bin/sleep", program,
                               std::filesystem::copy_options::overwrite_existing);
    const char* argv[] = {program.c_str(), "60", nullptr};
    EXPECT_EQ(
        posix_spawn(&pid_, program.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ),
        0);
    // Until the child has replaced itself with the program, it still runs this test's file;
    // the program is mapped a moment after the process names it as its own.
    for (int i = 0; i < 500; ++i) {
      std::error_code error;
      std::ifstream maps("/proc/" + std::to_string(pid_) + "/maps");
      const std::string mapped{std::istreambuf_iterator<char>(maps), {}};
      if (std::filesystem::equivalent("/proc/" + std::to_string(pid_) + "/exe", program, error) &&
          mapped.find(program) != std::string::npos)
        break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~Started() {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  Started(const Started&) = delete;
  Started& operator=(const Started&) = delete;
  DWORD Id() const { return static_cast<DWORD>(pid_); }

 private:
  pid_t pid_ = 0;
};

char State(DWORD pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::size_t close = text.rfind(')');
  return close == std::string::npos ? '?' : text[close + 2];
}

TEST(Processes, ProgramsOfTheSameNameAreBothFound) {
  TempImage image;
  ImageProcesses processes(image.Files(), image.Machine().system());
  Started first(image, "Program Files/A/spyhelper.exe");
  Started second(image, "WINDOWS/spyhelper.exe");

  HANDLE snapshot = processes.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
  std::vector<DWORD> named;
  PROCESSENTRY32 entry;
  for (BOOL more = processes.Process32First(snapshot, &entry); more;
       more = processes.Process32Next(snapshot, &entry)) {
    if (std::string(entry.szExeFile) == "spyhelper.exe") {
      named.push_back(entry.th32ProcessID);
      EXPECT_EQ(entry.th32ParentProcessID, static_cast<DWORD>(getpid()));
    }
  }
  CloseHandle(snapshot);
  EXPECT_EQ(named, (std::vector<DWORD>{std::min(first.Id(), second.Id()),
                                       std::max(first.Id(), second.Id())}));

  DWORD ids[4096], bytes = 0;
  ASSERT_TRUE(processes.EnumProcesses(ids, sizeof ids, &bytes));
  std::vector<DWORD> all(ids, ids + bytes / sizeof(DWORD));
  EXPECT_NE(std::find(all.begin(), all.end(), first.Id()), all.end());

  HANDLE process =
      processes.OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, first.Id());
  ASSERT_NE(process, nullptr) << GetLastError();
  HMODULE modules[16];
  DWORD needed = 0;
  ASSERT_TRUE(processes.EnumProcessModules(process, modules, sizeof modules, &needed));
  EXPECT_GE(needed, sizeof(HMODULE));
  char path[MAX_PATH];
  ASSERT_GT(processes.GetModuleFileNameExA(process, modules[0], path, sizeof path), 0u);
  EXPECT_STREQ(path, "C:\\Program Files\\A\\spyhelper.exe");
  MODULEINFO information;
  ASSERT_TRUE(
      processes.GetModuleInformation(process, modules[0], &information, sizeof information));
  EXPECT_EQ(information.lpBaseOfDll, modules[0]);
  EXPECT_GT(information.SizeOfImage, 0u);
  CloseHandle(process);

  snapshot = processes.CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, second.Id());
  MODULEENTRY32 module;
  ASSERT_TRUE(processes.Module32First(snapshot, &module));
  EXPECT_STREQ(module.szExePath, "C:\\WINDOWS\\spyhelper.exe");
  EXPECT_STREQ(module.szModule, "spyhelper.exe");
  CloseHandle(snapshot);
}

TEST(Processes, TheHostsOwnProcessesCannotBeOpened) {
  TempImage image;
  ImageProcesses processes(image.Files(), image.Machine().system());
  EXPECT_EQ(processes.OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(getpid())), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(processes.OpenProcess(PROCESS_ALL_ACCESS, FALSE, 1), nullptr);
  EXPECT_EQ(processes.OpenProcess(PROCESS_ALL_ACCESS, FALSE, 0x7FFFFFF0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(Processes, SuspendResumeTerminateAndWait) {
  TempImage image;
  ImageProcesses processes(image.Files(), image.Machine().system());
  Started program(image, "WINDOWS/worker.exe");
  HANDLE process = processes.OpenProcess(PROCESS_ALL_ACCESS, FALSE, program.Id());
  ASSERT_NE(process, nullptr);
  EXPECT_EQ(processes.WaitForSingleObject(process, 0), WAIT_TIMEOUT);
  ASSERT_TRUE(processes.SuspendProcess(process));
  for (int i = 0; i < 200 && State(program.Id()) != 'T'; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(State(program.Id()), 'T');
  ASSERT_TRUE(processes.ResumeProcess(process));
  for (int i = 0; i < 200 && State(program.Id()) == 'T'; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_NE(State(program.Id()), 'T');

  HANDLE limited = processes.OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, program.Id());
  EXPECT_FALSE(processes.TerminateProcess(limited, 1));  // not opened for that
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  CloseHandle(limited);
  ASSERT_TRUE(processes.TerminateProcess(process, 0xFFFFFFFF));
  EXPECT_EQ(processes.WaitForSingleObject(process, 5000), WAIT_OBJECT_0);
  CloseHandle(process);
}

TEST(Processes, PrivilegesOfTheProcessToken) {
  TempImage image;
  ImageProcesses processes(image.Files(), image.Machine().system());
  HANDLE token = nullptr;
  ASSERT_TRUE(processes.OpenProcessToken(Processes::GetCurrentProcess(),
                                         TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token));
  TOKEN_PRIVILEGES change, previous;
  change.PrivilegeCount = 1;
  ASSERT_TRUE(processes.LookupPrivilegeValueA(nullptr, SE_DEBUG_NAME, &change.Privileges[0].Luid));
  EXPECT_FALSE(
      processes.LookupPrivilegeValueA(nullptr, "SeNoSuchPrivilege", &change.Privileges[0].Luid));
  EXPECT_EQ(GetLastError(), ERROR_NO_SUCH_PRIVILEGE);
  ASSERT_TRUE(
      processes.LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &change.Privileges[0].Luid));
  change.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  DWORD length = 0;
  EXPECT_TRUE(
      processes.AdjustTokenPrivileges(token, FALSE, &change, sizeof previous, &previous, &length));
  EXPECT_EQ(GetLastError(), geteuid() == 0 ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED);
  EXPECT_EQ(previous.Privileges[0].Attributes, 0u);
  change.Privileges[0].Attributes = 0;
  EXPECT_TRUE(
      processes.AdjustTokenPrivileges(token, FALSE, &change, sizeof previous, &previous, &length));
  if (geteuid() == 0) {
    EXPECT_EQ(previous.Privileges[0].Attributes, SE_PRIVILEGE_ENABLED);
  }
  CloseHandle(token);
}

}  // namespace
}  // namespace platform
