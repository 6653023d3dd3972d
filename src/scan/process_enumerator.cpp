#include "scan/process_enumerator.h"

#include <cstdio>

#include "foundation/text_format.h"
#include "platform/handles.h"
#include "platform/last_error.h"

namespace scan {
namespace {

using platform::DWORD;
using platform::HANDLE;

constexpr DWORD kMaxProcesses = 4096;
constexpr DWORD kMaxModules = 4096;
constexpr DWORD kQueryAndRead = platform::PROCESS_QUERY_INFORMATION | platform::PROCESS_VM_READ;
constexpr DWORD kTerminateWait = 1000;
constexpr unsigned kProcessNotEndedText = 86;
constexpr std::size_t kMaxErrorLine = 1024;
constexpr DWORD ERROR_PROC_NOT_FOUND = 127;

std::string FileNameOf(const std::string& path) {
  return path.substr(path.rfind('\\') + 1);
}

}  // namespace

ProcessEnumerator::ProcessEnumerator(platform::Machine& machine,
                                     std::function<std::string(unsigned)> resourceText,
                                     bool preferProcessStatus)
    : machine_(machine), resourceText_(std::move(resourceText)) {
  platform::OSVERSIONINFOA version;
  machine_.system().GetVersionExA(&version);
  nt_ = version.dwPlatformId == platform::VER_PLATFORM_WIN32_NT;
  ntBeforeVersion5_ = nt_ && version.dwMajorVersion < 5;
  EnablePrivilege(platform::SE_DEBUG_NAME);
  EnablePrivilege(platform::SE_SHUTDOWN_NAME);
  platform::Processes& processes = machine_.processes();
  if (preferProcessStatus && processes.ProcessStatusBinds())
    interface_ = ProcessInterface::ProcessStatus;
  else if (processes.ToolHelpBinds())
    interface_ = ProcessInterface::ToolHelp;
}

void ProcessEnumerator::ErrorLine(const std::string& text) {
  if (target_) target_(text.substr(0, kMaxErrorLine - 1));
}

bool SetPrivilege(platform::Processes& processes, const char* name, bool enable) {
  HANDLE token = nullptr;
  if (!processes.OpenProcessToken(platform::Processes::GetCurrentProcess(),
                                  platform::TOKEN_ADJUST_PRIVILEGES | platform::TOKEN_QUERY,
                                  &token))
    return false;
  platform::TOKEN_PRIVILEGES privileges;
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = enable ? platform::SE_PRIVILEGE_ENABLED : 0;
  const bool done =
      processes.LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid) &&
      processes.AdjustTokenPrivileges(token, platform::FALSE, &privileges, 0, nullptr, nullptr) &&
      platform::GetLastError() != platform::ERROR_NOT_ALL_ASSIGNED;
  platform::CloseHandle(token);
  return done;
}

std::vector<platform::PROCESSENTRY32> SnapshotProcesses(platform::Processes& processes) {
  std::vector<platform::PROCESSENTRY32> entries;
  HANDLE snapshot = processes.CreateToolhelp32Snapshot(platform::TH32CS_SNAPPROCESS, 0);
  if (!snapshot) return entries;
  platform::PROCESSENTRY32 entry;
  for (bool more = processes.Process32First(snapshot, &entry); more;
       more = processes.Process32Next(snapshot, &entry))
    entries.push_back(entry);
  platform::CloseHandle(snapshot);
  return entries;
}

bool ProcessEnumerator::EnablePrivilege(const char* name) {
  const bool done = SetPrivilege(machine_.processes(), name, true);
  if (!done)
    ErrorLine("Could not set " + std::string(name) + " privilege some option's may not work");
  return done;
}

std::vector<ProcessRecord> ProcessEnumerator::ListProcesses() {
  std::vector<ProcessRecord> records;
  platform::Processes& processes = machine_.processes();
  if (interface_ == ProcessInterface::ProcessStatus) {
    std::vector<DWORD> ids(kMaxProcesses);
    DWORD bytes = 0;
    if (!processes.EnumProcesses(ids.data(), kMaxProcesses * sizeof(DWORD), &bytes)) return records;
    ids.resize(bytes / sizeof(DWORD));
    for (DWORD id : ids) {
      HANDLE process = processes.OpenProcess(kQueryAndRead, platform::FALSE, id);
      if (!process) continue;
      ProcessRecord record{id, "-"};
      platform::HMODULE module = nullptr;
      DWORD needed = 0;
      char path[platform::MAX_PATH] = {};
      if (processes.EnumProcessModules(process, &module, sizeof module, &needed) &&
          processes.GetModuleFileNameExA(process, module, path, sizeof path) > 0)
        record.image = path;
      platform::CloseHandle(process);
      records.push_back(std::move(record));
    }
  } else if (interface_ == ProcessInterface::ToolHelp) {
    for (const platform::PROCESSENTRY32& entry : SnapshotProcesses(processes))
      records.push_back(ProcessRecord{entry.th32ProcessID, entry.szExeFile});
  }
  return records;
}

std::vector<ModuleRecord> ProcessEnumerator::ListModules(DWORD processId) {
  std::vector<ModuleRecord> records;
  platform::Processes& processes = machine_.processes();
  if (interface_ == ProcessInterface::ProcessStatus) {
    HANDLE process = processes.OpenProcess(kQueryAndRead, platform::FALSE, processId);
    if (!process) return records;
    std::vector<platform::HMODULE> modules(kMaxModules);
    DWORD needed = 0;
    if (processes.EnumProcessModules(process, modules.data(),
                                     kMaxModules * sizeof(platform::HMODULE), &needed)) {
      modules.resize(std::min<std::size_t>(needed / sizeof(platform::HMODULE), kMaxModules));
      for (platform::HMODULE module : modules) {
        char path[platform::MAX_PATH] = {};
        platform::MODULEINFO information;
        if (processes.GetModuleFileNameExA(process, module, path, sizeof path) == 0) continue;
        processes.GetModuleInformation(process, module, &information, sizeof information);
        records.push_back(ModuleRecord{reinterpret_cast<std::uintptr_t>(information.lpBaseOfDll),
                                       information.SizeOfImage, path});
      }
    }
    platform::CloseHandle(process);
  } else if (interface_ == ProcessInterface::ToolHelp) {
    HANDLE snapshot = processes.CreateToolhelp32Snapshot(platform::TH32CS_SNAPMODULE, processId);
    if (!snapshot) return records;
    platform::MODULEENTRY32 entry;
    for (bool more = processes.Module32First(snapshot, &entry); more;
         more = processes.Module32Next(snapshot, &entry))
      records.push_back(ModuleRecord{reinterpret_cast<std::uintptr_t>(entry.modBaseAddr),
                                     entry.modBaseSize, entry.szExePath});
    platform::CloseHandle(snapshot);
  }
  return records;
}

bool ProcessEnumerator::EndProcessesByImage(const std::string& path) {
  const std::string key = machine_.Code().Lower(FileNameOf(path));
  if (interface_ == ProcessInterface::ProcessStatus) return EndByProcessStatus(path, key);
  if (interface_ == ProcessInterface::ToolHelp) return EndByToolHelp(key);
  return false;
}

bool ProcessEnumerator::EndByProcessStatus(const std::string& path, const std::string& key) {
  bool result = false;
  for (const ProcessRecord& process : ListProcesses()) {
    const std::string name =
        process.image == "-" ? "-" : machine_.Code().Lower(FileNameOf(process.image));
    if (name != key) continue;
    result = EndProcessTree(process.id, true);
    if (!result) {
      const std::string message = machine_.system().ErrorText(platform::GetLastError());
      ErrorLine(foundation::FormatText(
          resourceText_ ? resourceText_(kProcessNotEndedText) : std::string(), {path, message}));
    }
  }
  return result;
}

bool ProcessEnumerator::EndByToolHelp(const std::string& key) {
  platform::Processes& processes = machine_.processes();
  const std::vector<platform::PROCESSENTRY32> entries = SnapshotProcesses(processes);
  // A process that its tree's ending ended counts as ended, not as a failure.
  bool ended = false;
  for (const platform::PROCESSENTRY32& candidate : entries) {
    if (machine_.Code().Lower(FileNameOf(candidate.szExeFile)) != key) continue;
    ended = EndProcessTree(candidate.th32ProcessID, true) || ended;
    HANDLE process = processes.OpenProcess(platform::PROCESS_ALL_ACCESS, platform::FALSE,
                                           candidate.th32ProcessID);
    if (!process) continue;  // ended
    if (processes.TerminateProcess(process, 0xFFFFFFFF)) {
      const DWORD wait = processes.WaitForSingleObject(process, kTerminateWait);
      if (wait == platform::WAIT_FAILED)
        ErrorLine("Timeout Waiting for Process to Terminate " + std::to_string(wait));
      platform::CloseHandle(process);
      return true;
    }
    platform::CloseHandle(process);
    ErrorLine("Can not Terminate process");
    return false;
  }
  return ended;
}

bool ProcessEnumerator::InFoundModules(const std::string& executableName) const {
  const std::string name = machine_.Code().Lower(executableName);
  for (const std::string& module : foundModules_)
    if (module == name || FileNameOf(module) == name) return true;
  return false;
}

bool ProcessEnumerator::ListRelations(std::vector<platform::PROCESSENTRY32>& relations) {
  if (ntBeforeVersion5_) {
    // The native system-information call of NT 4 lives in ntdll.dll.
    const std::string native = machine_.system().SystemDirectory() + "\\" + kNativeLibrary;
    if (!machine_.files().PathFileExistsA(native.c_str())) {
      platform::SetLastError(ERROR_PROC_NOT_FOUND);
      return false;
    }
  }
  relations = SnapshotProcesses(machine_.processes());
  return true;
}

bool ProcessEnumerator::EndProcessTree(DWORD processId, bool withChildren) {
  if (withChildren) {
    std::vector<platform::PROCESSENTRY32> relations;
    if (!ListRelations(relations)) return false;
    for (const platform::PROCESSENTRY32& child : relations)
      if (child.th32ParentProcessID == processId && child.th32ProcessID != processId &&
          InFoundModules(child.szExeFile))
        EndProcessTree(child.th32ProcessID, true);
  }
  return ForceTerminate(processId);
}

bool ProcessEnumerator::ForceTerminate(DWORD processId) {
  platform::Processes& processes = machine_.processes();
  HANDLE process = processes.OpenProcess(platform::PROCESS_TERMINATE, platform::FALSE, processId);
  if (!process) {
    if (platform::GetLastError() != platform::ERROR_ACCESS_DENIED || !nt_) return false;
    // The process token (threads carry none here) with the debug privilege, then again.
    HANDLE token = nullptr;
    if (!processes.OpenProcessToken(platform::Processes::GetCurrentProcess(),
                                    platform::TOKEN_ADJUST_PRIVILEGES | platform::TOKEN_QUERY,
                                    &token))
      return false;
    platform::TOKEN_PRIVILEGES privileges, previous;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = platform::SE_PRIVILEGE_ENABLED;
    DWORD previousLength = sizeof previous;
    const bool enabled =
        processes.LookupPrivilegeValueA(nullptr, platform::SE_DEBUG_NAME,
                                        &privileges.Privileges[0].Luid) &&
        processes.AdjustTokenPrivileges(token, platform::FALSE, &privileges, sizeof previous,
                                        &previous, &previousLength);
    if (!enabled || platform::GetLastError() == platform::ERROR_NOT_ALL_ASSIGNED) {
      if (enabled) platform::SetLastError(platform::ERROR_ACCESS_DENIED);
      platform::CloseHandle(token);
      return false;
    }
    process = processes.OpenProcess(platform::PROCESS_TERMINATE, platform::FALSE, processId);
    const DWORD openError = platform::GetLastError();
    processes.AdjustTokenPrivileges(token, platform::FALSE, &previous, 0, nullptr, nullptr);
    platform::CloseHandle(token);
    if (!process) {
      platform::SetLastError(openError);
      return false;
    }
  }
  const bool ended = processes.TerminateProcess(process, 0xFFFFFFFF);
  const DWORD error = platform::GetLastError();
  // Callers go on to read or delete the program's file: let the process be gone first.
  if (ended) processes.WaitForSingleObject(process, kTerminateWait);
  platform::CloseHandle(process);
  platform::SetLastError(error);
  return ended;
}

}  // namespace scan
