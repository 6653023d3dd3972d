#include "app/process_command.h"

#include <cstring>

#include "platform/handles.h"
#include "platform/last_error.h"

namespace app {
namespace {

constexpr const char* kProcessCommand = "/process";
constexpr platform::DWORD kTerminateWait = 5000;

enum class ProcessAction { Terminate, Suspend, Resume };

// The first process of exactly that image name, in snapshot order, that opens with every
// right; null when none does.
platform::HANDLE OpenFirstProcessNamed(platform::Processes& processes, const std::string& name) {
  platform::HANDLE snapshot = processes.CreateToolhelp32Snapshot(platform::TH32CS_SNAPPROCESS, 0);
  if (!snapshot) return nullptr;
  platform::HANDLE target = nullptr;
  platform::PROCESSENTRY32 entry;
  for (bool more = processes.Process32First(snapshot, &entry); more && !target;
       more = processes.Process32Next(snapshot, &entry)) {
    if (name == entry.szExeFile)
      target =
          processes.OpenProcess(platform::PROCESS_ALL_ACCESS, platform::FALSE, entry.th32ProcessID);
  }
  platform::CloseHandle(snapshot);
  return target;
}

}  // namespace

bool SetDebugPrivilege(platform::Processes& processes, bool enable) {
  platform::HANDLE token = nullptr;
  if (!processes.OpenProcessToken(platform::Processes::GetCurrentProcess(),
                                  platform::TOKEN_ADJUST_PRIVILEGES | platform::TOKEN_QUERY,
                                  &token))
    return false;
  platform::TOKEN_PRIVILEGES privileges;
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = enable ? platform::SE_PRIVILEGE_ENABLED : 0;
  bool done =
      processes.LookupPrivilegeValueA(nullptr, platform::SE_DEBUG_NAME,
                                      &privileges.Privileges[0].Luid) &&
      processes.AdjustTokenPrivileges(token, platform::FALSE, &privileges, 0, nullptr, nullptr) &&
      platform::GetLastError() == platform::ERROR_SUCCESS;
  platform::CloseHandle(token);
  return done;
}

bool ServeProcessCommand(const std::vector<std::string>& arguments,
                         platform::Processes& processes) {
  if (arguments.size() != 4 || arguments[1] != kProcessCommand) return false;
  const std::string& name = arguments[3];
  if (name.size() >= platform::MAX_PATH) return false;
  ProcessAction action;
  if (arguments[2] == "-k") {
    action = ProcessAction::Terminate;
  } else if (arguments[2] == "-s") {
    action = ProcessAction::Suspend;
  } else if (arguments[2] == "-r") {
    action = ProcessAction::Resume;
  } else {
    return false;
  }

  SetDebugPrivilege(processes, true);
  if (platform::HANDLE process = OpenFirstProcessNamed(processes, name)) {
    switch (action) {
      case ProcessAction::Terminate:
        if (processes.TerminateProcess(process, 0))
          processes.WaitForSingleObject(process, kTerminateWait);
        break;
      case ProcessAction::Suspend:
        processes.SuspendProcess(process);
        break;
      case ProcessAction::Resume:
        processes.ResumeProcess(process);
        break;
    }
    platform::CloseHandle(process);
  }
  SetDebugPrivilege(processes, false);
  return true;
}

}  // namespace app
