#include "app/process_command.h"

#include "platform/handles.h"
#include "scan/process_enumerator.h"

namespace app {
namespace {

constexpr const char* kProcessCommand = "/process";
constexpr platform::DWORD kTerminateWait = 5000;

enum class ProcessAction { Terminate, Suspend, Resume };

// The first process of exactly that image name, in snapshot order, that opens with every
// right; null when none does.
platform::HANDLE OpenFirstProcessNamed(platform::Processes& processes, const std::string& name) {
  for (const platform::PROCESSENTRY32& entry : scan::SnapshotProcesses(processes)) {
    if (name != entry.szExeFile) continue;
    if (platform::HANDLE target = processes.OpenProcess(platform::PROCESS_ALL_ACCESS,
                                                        platform::FALSE, entry.th32ProcessID))
      return target;
  }
  return nullptr;
}

}  // namespace

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

  scan::SetPrivilege(processes, platform::SE_DEBUG_NAME, true);
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
  scan::SetPrivilege(processes, platform::SE_DEBUG_NAME, false);
  return true;
}

}  // namespace app
