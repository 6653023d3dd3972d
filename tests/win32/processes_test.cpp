// The processes of the Windows system: this test's own program, listed through the process
// status library and through tool help, and the demo's stand-in program, started here, found,
// suspended, resumed and ended.
//
// Run it twice. As NT runs it:
//   wine win32_processes_test.exe
// and as Windows 9x runs it, without the process status library, where tool help alone lists
// processes (the test reads WINEDLLOVERRIDES to know that psapi.dll is disabled):
//   WINEDLLOVERRIDES=psapi=d wine win32_processes_test.exe
// With the prefix's version set to win98 as well, the token test takes the 9x path.
#include "platform/win32/win32_processes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/md5_text.h"
#include "platform/last_error.h"
#include "platform/win32/native_process_calls.h"
#include "platform/win32/tool_help_calls.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system.h"
#include "processes_test_calls.h"

namespace platform {
namespace {

constexpr DWORD ERROR_PROC_NOT_FOUND = 127;
constexpr DWORD kEndWait = 5000;  // ms for an ended program to be gone
constexpr const char* kStandInName = "demo-spyware.exe";

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return text;
}

std::string FileNameOf(const std::string& path) {
  return Lower(path.substr(path.find_last_of("\\/") + 1));
}

// Whether the runner told Wine not to load psapi.dll ("psapi=d" or "psapi=" in
// WINEDLLOVERRIDES), so that this run takes the path of a system without it.
bool ProcessStatusDisabled() {
  const char* overrides = std::getenv("WINEDLLOVERRIDES");
  std::stringstream entries(overrides ? overrides : "");
  for (std::string entry; std::getline(entries, entry, ';');) {
    const std::size_t equals = entry.find('=');
    if (equals == std::string::npos) continue;
    const std::string mode = entry.substr(equals + 1);
    if (!mode.empty() && mode != "d") continue;
    std::stringstream names(entry.substr(0, equals));
    for (std::string name; std::getline(names, name, ',');)
      if (Lower(name) == "psapi" || Lower(name) == "psapi.dll") return true;
  }
  return false;
}

class Win32ProcessesTest : public testing::Test {
 protected:
  Win32ProcessesTest()
      : system_(registry_), code_(system_.GetACP()), files_(code_), processes_(files_) {}

  void SetUp() override {
    char path[MAX_PATH];
    const DWORD length = processes_.GetModuleFileNameA(nullptr, path, sizeof path);
    ASSERT_GT(length, 0u) << GetLastError();
    program_.assign(path, length);
    self_ = processes_.GetProcessId(Processes::GetCurrentProcess());
  }

  std::vector<PROCESSENTRY32> Snapshot() {
    std::vector<PROCESSENTRY32> entries;
    HANDLE snapshot = processes_.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    EXPECT_NE(snapshot, INVALID_HANDLE_VALUE) << GetLastError();
    PROCESSENTRY32 entry;
    for (BOOL more = processes_.Process32First(snapshot, &entry); more;
         more = processes_.Process32Next(snapshot, &entry))
      entries.push_back(entry);
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    CloseHandle(snapshot);
    return entries;
  }

  bool Windows9x() {
    OSVERSIONINFOA version;
    EXPECT_TRUE(system_.GetVersionExA(&version));
    return version.dwPlatformId != VER_PLATFORM_WIN32_NT;
  }

  std::vector<DWORD> ProcessIds() {
    std::vector<DWORD> ids(4096);
    DWORD bytes = 0;
    EXPECT_TRUE(processes_.EnumProcesses(ids.data(), ids.size() * sizeof(DWORD), &bytes))
        << GetLastError();
    ids.resize(bytes / sizeof(DWORD));
    return ids;
  }

  Win32Registry registry_;
  Win32System system_;
  CodePage code_;
  Win32Files files_;
  Win32Processes processes_;
  std::string program_;  // this test's program
  DWORD self_ = 0;
};

TEST_F(Win32ProcessesTest, ProcessStatusListsThisProgramFirstAmongItsModules) {
  if (ProcessStatusDisabled()) GTEST_SKIP() << "psapi.dll is disabled for this run";
  EXPECT_TRUE(processes_.ProcessStatusBinds());
  const std::vector<DWORD> ids = ProcessIds();
  EXPECT_GT(ids.size(), 1u);
  EXPECT_NE(std::find(ids.begin(), ids.end(), self_), ids.end());

  HANDLE process =
      processes_.OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, self_);
  ASSERT_NE(process, nullptr) << GetLastError();
  // One slot, as the scan asks for the program alone: the count of all comes back.
  HMODULE first = nullptr;
  DWORD needed = 0;
  ASSERT_TRUE(processes_.EnumProcessModules(process, &first, sizeof first, &needed));
  EXPECT_GT(needed, sizeof first);
  std::vector<HMODULE> modules(needed / sizeof(HMODULE));
  ASSERT_TRUE(processes_.EnumProcessModules(process, modules.data(), needed, &needed));
  ASSERT_EQ(modules.front(), first);
  std::vector<std::string> names;
  for (HMODULE module : modules) {
    char path[MAX_PATH] = {};
    ASSERT_GT(processes_.GetModuleFileNameExA(process, module, path, sizeof path), 0u);
    names.push_back(path);
  }
  EXPECT_EQ(Lower(names.front()), Lower(program_));
  EXPECT_NE(
      std::find_if(names.begin(), names.end(),
                   [](const std::string& path) { return FileNameOf(path) == "kernel32.dll"; }),
      names.end());
  MODULEINFO information;
  ASSERT_TRUE(processes_.GetModuleInformation(process, first, &information, sizeof information));
  EXPECT_EQ(information.lpBaseOfDll, first);
  EXPECT_GT(information.SizeOfImage, 0u);
  CloseHandle(process);
}

TEST_F(Win32ProcessesTest, ProcessStatusCallsFailAsMissingFunctionsWhenItIsDisabled) {
  if (!ProcessStatusDisabled()) GTEST_SKIP() << "psapi.dll is there for this run";
  // The scan then takes tool help, as on 9x.
  EXPECT_FALSE(processes_.ProcessStatusBinds());
  EXPECT_TRUE(processes_.ToolHelpBinds());
  DWORD ids[16], bytes = 0;
  EXPECT_FALSE(processes_.EnumProcesses(ids, sizeof ids, &bytes));
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  HANDLE process =
      processes_.OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, self_);
  ASSERT_NE(process, nullptr) << GetLastError();
  HMODULE module = nullptr;
  EXPECT_FALSE(processes_.EnumProcessModules(process, &module, sizeof module, &bytes));
  EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  CloseHandle(process);
}

TEST_F(Win32ProcessesTest, ToolHelpAndTheNativeListShowThisProgramAndItsModules) {
  const std::vector<PROCESSENTRY32> entries = Snapshot();
  auto entry = std::find_if(entries.begin(), entries.end(),
                            [&](const PROCESSENTRY32& e) { return e.th32ProcessID == self_; });
  ASSERT_NE(entry, entries.end());
  // Windows 9x names the whole path here, later systems the file name.
  EXPECT_EQ(FileNameOf(entry->szExeFile), FileNameOf(program_));
  EXPECT_GE(entry->cntThreads, 1u);

  // The list NT 4 makes its process snapshot of, where it has no tool help (9x has neither).
  if (!Windows9x()) {
    std::vector<win32::NativeProcess> native;
    ASSERT_TRUE(win32::ListNativeProcesses(native)) << GetLastError();
    auto same = std::find_if(native.begin(), native.end(),
                             [&](const win32::NativeProcess& p) { return p.id == self_; });
    ASSERT_NE(same, native.end());
    EXPECT_EQ(FileNameOf(same->name), FileNameOf(program_));
    EXPECT_EQ(same->parentId, entry->th32ParentProcessID);
    EXPECT_EQ(same->threads, entry->cntThreads);
  }

  HANDLE snapshot = processes_.CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, self_);
  ASSERT_NE(snapshot, INVALID_HANDLE_VALUE) << GetLastError();
  std::vector<MODULEENTRY32> modules;
  MODULEENTRY32 module;
  for (BOOL more = processes_.Module32First(snapshot, &module); more;
       more = processes_.Module32Next(snapshot, &module))
    modules.push_back(module);
  CloseHandle(snapshot);
  ASSERT_FALSE(modules.empty());
  EXPECT_EQ(Lower(modules.front().szExePath), Lower(program_));
  EXPECT_NE(
      std::find_if(modules.begin(), modules.end(),
                   [](const MODULEENTRY32& m) { return Lower(m.szModule) == "kernel32.dll"; }),
      modules.end());
}

TEST_F(Win32ProcessesTest, ThisProgramsPathComesCutToTheBufferAndItsFileIsDigested) {
  char cut[4] = "xyz";
  EXPECT_EQ(processes_.GetModuleFileNameA(nullptr, cut, sizeof cut), sizeof cut);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::string(cut), program_.substr(0, 3));

  // The running program's file is read as the scan reads it, and digests as its bytes do.
  std::ifstream file(program_, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(foundation::Md5OfFile(files_, program_), foundation::Md5OfText(bytes));
}

// The stand-in started through the shell, ended with the test whatever happens.
class StartedStandIn {
 public:
  StartedStandIn(Win32Files& files, Win32System& system, Processes& processes)
      : processes_(processes) {
    Win32Shell shell(files, system);
    handle_ = shell.StartProgram(VEXMARL_STAND_IN, "", "");
  }
  ~StartedStandIn() {
    if (!handle_) return;
    processes_.TerminateProcess(handle_, 1);
    processes_.WaitForSingleObject(handle_, kEndWait);
    CloseHandle(handle_);
  }
  StartedStandIn(const StartedStandIn&) = delete;
  StartedStandIn& operator=(const StartedStandIn&) = delete;
  HANDLE Handle() const { return handle_; }

 private:
  Processes& processes_;
  HANDLE handle_ = nullptr;
};

TEST_F(Win32ProcessesTest, AStartedProgramIsFoundSuspendedResumedAndEnded) {
  StartedStandIn started(files_, system_, processes_);
  ASSERT_NE(started.Handle(), nullptr) << GetLastError();
  // The shell's handle carries no id: the system's GetProcessId gives it.
  const DWORD id = processes_.GetProcessId(started.Handle());
  ASSERT_NE(id, 0u) << GetLastError();

  const std::vector<PROCESSENTRY32> entries = Snapshot();
  auto entry = std::find_if(entries.begin(), entries.end(),
                            [&](const PROCESSENTRY32& e) { return e.th32ProcessID == id; });
  ASSERT_NE(entry, entries.end());
  EXPECT_EQ(FileNameOf(entry->szExeFile), kStandInName);
  EXPECT_EQ(entry->th32ParentProcessID, self_);
  if (!ProcessStatusDisabled()) {
    const std::vector<DWORD> ids = ProcessIds();
    EXPECT_NE(std::find(ids.begin(), ids.end(), id), ids.end());
  }

  // Rights count on NT only: on 9x, which has no security, every handle has them all.
  if (!Windows9x()) {
    HANDLE limited = processes_.OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, id);
    ASSERT_NE(limited, nullptr) << GetLastError();
    EXPECT_FALSE(processes_.SuspendProcess(limited));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_FALSE(processes_.TerminateProcess(limited, 7));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    CloseHandle(limited);
  }

  HANDLE process = processes_.OpenProcess(PROCESS_ALL_ACCESS, FALSE, id);
  ASSERT_NE(process, nullptr) << GetLastError();
  EXPECT_EQ(processes_.GetProcessId(process), id);
  std::vector<unsigned long> threads;
  ASSERT_TRUE(win32::ThreadIdsOf(id, threads));
  ASSERT_FALSE(threads.empty());
  EXPECT_EQ(processes_.WaitForSingleObject(process, 0), WAIT_TIMEOUT);
  ASSERT_TRUE(processes_.SuspendProcess(process)) << GetLastError();
  for (unsigned long thread : threads) EXPECT_EQ(win32::SuspendCountOfThread(thread), 1);
  ASSERT_TRUE(processes_.ResumeProcess(process)) << GetLastError();
  for (unsigned long thread : threads) EXPECT_EQ(win32::SuspendCountOfThread(thread), 0);

  ASSERT_TRUE(processes_.TerminateProcess(process, 7)) << GetLastError();
  EXPECT_EQ(processes_.WaitForSingleObject(process, kEndWait), WAIT_OBJECT_0);
  EXPECT_EQ(processes_.WaitForSingleObject(started.Handle(), kEndWait), WAIT_OBJECT_0);
  EXPECT_FALSE(processes_.SuspendProcess(process));  // no thread is left
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

  ASSERT_TRUE(CloseHandle(process));
  EXPECT_FALSE(processes_.TerminateProcess(process, 7));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(processes_.WaitForSingleObject(process, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(Win32ProcessesTest, TheShutdownPrivilegeIsEnabledOrNotNeededOn9x) {
  const bool windows9x = Windows9x();
  HANDLE token = nullptr;
  ASSERT_TRUE(processes_.OpenProcessToken(Processes::GetCurrentProcess(),
                                          TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
      << GetLastError();
  TOKEN_PRIVILEGES change, previous;
  change.PrivilegeCount = 1;
  change.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  ASSERT_TRUE(
      processes_.LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &change.Privileges[0].Luid));
  LUID unknown;
  EXPECT_EQ(processes_.LookupPrivilegeValueA(nullptr, "SeNoSuchPrivilege", &unknown), windows9x);
  if (!windows9x) {
    EXPECT_EQ(GetLastError(), ERROR_NO_SUCH_PRIVILEGE);
  }
  DWORD length = 0;
  ASSERT_TRUE(
      processes_.AdjustTokenPrivileges(token, FALSE, &change, sizeof previous, &previous, &length));
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  // What was before is put back (on 9x: nothing).
  EXPECT_EQ(previous.PrivilegeCount, windows9x ? 0u : 1u);
  EXPECT_TRUE(processes_.AdjustTokenPrivileges(token, FALSE, &previous, 0, nullptr, nullptr));
  CloseHandle(token);
  EXPECT_FALSE(processes_.AdjustTokenPrivileges(token, FALSE, &change, 0, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

}  // namespace
}  // namespace platform
