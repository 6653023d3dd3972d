#include "platform/image/image_processes.h"

#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <sstream>

#include "platform/handles.h"
#include "platform/image/errno_errors.h"
#include "platform/last_error.h"

namespace platform {

namespace {

struct ProcessObject : KernelObject {
  pid_t pid = 0;
  int pidfd = -1;  // keeps the process's identity: ids can be reused
  DWORD access = 0;
  bool child = false;  // started by this process, which must reap it
  void Reap() {
    if (child && waitpid(pid, nullptr, WNOHANG) == pid) child = false;
  }
  ~ProcessObject() override {
    Reap();
    if (pidfd >= 0) close(pidfd);
  }
};

struct ProcessSnapshot : KernelObject {
  std::vector<PROCESSENTRY32> processes;
  std::vector<MODULEENTRY32> modules;
  std::size_t nextProcess = 0, nextModule = 0;
};

struct TokenObject : KernelObject {};

// The privileges this process has enabled, by LUID (1: debug, 2: shutdown).
std::mutex privilegeLock;  // guards enabledPrivileges
std::set<DWORD> enabledPrivileges;

std::vector<pid_t> ProcessIds() {
  std::vector<pid_t> ids;
  DIR* proc = opendir("/proc");
  if (!proc) return ids;
  while (dirent* entry = readdir(proc)) {
    char* end = nullptr;
    long id = std::strtol(entry->d_name, &end, 10);
    if (*end == '\0' && id > 0) ids.push_back(static_cast<pid_t>(id));
  }
  closedir(proc);
  std::sort(ids.begin(), ids.end());
  return ids;
}

std::string HostProgram(pid_t pid) {
  char target[PATH_MAX];
  ssize_t length =
      readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), target, sizeof target - 1);
  if (length <= 0) return {};
  return std::string(target, static_cast<std::size_t>(length));
}

// The parent id and the short name the kernel keeps, from /proc/PID/stat.
bool ReadStat(pid_t pid, pid_t& parent, std::string& name) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::size_t open = text.find('('), close = text.rfind(')');
  if (open == std::string::npos || close == std::string::npos) return false;
  name = text.substr(open + 1, close - open - 1);
  std::istringstream rest(text.substr(close + 1));
  char state;
  rest >> state >> parent;
  return static_cast<bool>(rest);
}

template <typename Text>
void CopyText(char* buffer, std::size_t size, const Text& text) {
  std::snprintf(buffer, size, "%s", std::string(text).c_str());
}

std::shared_ptr<ProcessObject> ProcessOf(HANDLE process) {
  return LookUpHandleAs<ProcessObject>(process);
}

bool Signal(const ProcessObject& process, int signal) {
  return syscall(SYS_pidfd_send_signal, process.pidfd, signal, nullptr, 0) == 0;
}

}  // namespace

std::string ImageProcesses::ProgramOf(pid_t pid) {
  std::string host = HostProgram(pid);
  if (host.empty() || host.ends_with(" (deleted)")) return {};
  return files_.WindowsPathOf(host).value_or("");
}

DWORD ImageProcesses::GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  if (module || !fileName || size == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::string program = ProgramOf(getpid());
  if (program.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  const std::size_t length = std::min<std::size_t>(program.size(), size - 1);
  program.copy(fileName, length);
  fileName[length] = '\0';
  if (length < program.size()) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  return static_cast<DWORD>(length);
}

std::vector<ModuleRecord> ImageProcesses::ModulesOf(pid_t pid) {
  std::vector<ModuleRecord> modules;
  const std::string program = ProgramOf(pid);
  if (program.empty()) return modules;
  std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
  std::map<std::string, std::pair<std::uintptr_t, std::uintptr_t>> spans;  // host path
  std::vector<std::string> order;
  for (std::string line; std::getline(maps, line);) {
    std::istringstream fields(line);
    std::string range, permissions, offset, device, inode, path;
    fields >> range >> permissions >> offset >> device >> inode;
    std::getline(fields >> std::ws, path);
    if (path.empty() || path[0] != '/' || inode == "0") continue;
    std::uintptr_t start = std::stoull(range.substr(0, range.find('-')), nullptr, 16);
    std::uintptr_t end = std::stoull(range.substr(range.find('-') + 1), nullptr, 16);
    auto [span, added] = spans.emplace(path, std::pair{start, end});
    if (added) {
      order.push_back(path);
    } else {
      span->second.first = std::min(span->second.first, start);
      span->second.second = std::max(span->second.second, end);
    }
  }
  for (const std::string& path : order) {
    auto windows = files_.WindowsPathOf(path);
    if (!windows) continue;  // host libraries are not part of the machine
    const auto& [start, end] = spans[path];
    ModuleRecord record{start, end - start, *windows};
    if (*windows == program) {
      modules.insert(modules.begin(), record);  // the program comes first
    } else {
      modules.push_back(record);
    }
  }
  return modules;
}

BOOL ImageProcesses::EnumProcesses(DWORD* processIds, DWORD bytes, DWORD* bytesReturned) {
  if (!processIds || !bytesReturned) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  DWORD count = 0;
  for (pid_t pid : ProcessIds()) {
    if ((count + 1) * sizeof(DWORD) > bytes) break;
    processIds[count++] = static_cast<DWORD>(pid);
  }
  *bytesReturned = count * sizeof(DWORD);
  return TRUE;
}

HANDLE ImageProcesses::OpenProcess(DWORD desiredAccess, BOOL, DWORD processId) {
  const pid_t pid = static_cast<pid_t>(processId);
  if (pid <= 0) return Fail(ERROR_INVALID_PARAMETER, static_cast<HANDLE>(nullptr));
  int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (pidfd < 0) return Fail(ERROR_INVALID_PARAMETER, static_cast<HANDLE>(nullptr));
  auto process = std::make_shared<ProcessObject>();
  process->pid = pid;
  process->pidfd = pidfd;
  process->access = desiredAccess;
  // A process that does not run a program of the machine cannot be opened at all.
  if (ProgramOf(pid).empty()) return Fail(ERROR_ACCESS_DENIED, static_cast<HANDLE>(nullptr));
  SetLastError(ERROR_SUCCESS);
  return AddHandle(std::move(process));
}

int ImageProcesses::WaitDescriptorOf(HANDLE process) {
  auto object = LookUpHandleAs<ProcessObject>(process);
  return object ? object->pidfd : -1;
}

HANDLE ImageProcesses::HandleOfChild(pid_t pid) {
  int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (pidfd < 0) return Fail(Win32ErrorFromErrno(errno), static_cast<HANDLE>(nullptr));
  auto process = std::make_shared<ProcessObject>();
  process->pid = pid;
  process->pidfd = pidfd;
  process->access = PROCESS_ALL_ACCESS;
  process->child = true;
  return AddHandle(std::move(process));
}

BOOL ImageProcesses::EnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes,
                                        DWORD* bytesNeeded) {
  auto object = ProcessOf(process);
  if (!object) return FALSE;
  if ((object->access & (PROCESS_QUERY_INFORMATION | PROCESS_VM_READ)) !=
      (PROCESS_QUERY_INFORMATION | PROCESS_VM_READ))
    return Fail(ERROR_ACCESS_DENIED, FALSE);
  std::vector<ModuleRecord> records = ModulesOf(object->pid);
  if (records.empty()) return Fail(ERROR_PARTIAL_COPY, FALSE);
  if (bytesNeeded) *bytesNeeded = static_cast<DWORD>(records.size() * sizeof(HMODULE));
  for (std::size_t i = 0; i < records.size() && (i + 1) * sizeof(HMODULE) <= bytes; ++i)
    modules[i] = reinterpret_cast<HMODULE>(records[i].base);
  return TRUE;
}

DWORD ImageProcesses::GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR fileName,
                                           DWORD size) {
  auto object = ProcessOf(process);
  if (!object) return 0;
  if (!fileName || size == 0) return Fail(ERROR_INVALID_PARAMETER, 0u);
  for (const ModuleRecord& record : ModulesOf(object->pid)) {
    if (module && reinterpret_cast<HMODULE>(record.base) != module) continue;
    // Cut to the buffer, as Windows does.
    std::size_t length = std::min<std::size_t>(record.windowsPath.size(), size - 1);
    std::memcpy(fileName, record.windowsPath.data(), length);
    fileName[length] = '\0';
    return static_cast<DWORD>(length);
  }
  return Fail(ERROR_INVALID_HANDLE, 0u);
}

BOOL ImageProcesses::GetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* information,
                                          DWORD size) {
  auto object = ProcessOf(process);
  if (!object) return FALSE;
  if (!information || size < sizeof(MODULEINFO)) return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  for (const ModuleRecord& record : ModulesOf(object->pid)) {
    if (reinterpret_cast<HMODULE>(record.base) != module) continue;
    information->lpBaseOfDll = reinterpret_cast<void*>(record.base);
    information->SizeOfImage = static_cast<DWORD>(record.size);
    information->EntryPoint = nullptr;
    return TRUE;
  }
  return Fail(ERROR_INVALID_HANDLE, FALSE);
}

bool ImageProcesses::SystemLibraryPresent(const char* name) {
  const std::string path = system_.SystemDirectory() + "\\" + name;
  return files_.PathFileExistsA(path.c_str()) != 0;
}

bool ImageProcesses::ProcessStatusBinds() {
  return SystemLibraryPresent("psapi.dll");
}

bool ImageProcesses::ToolHelpBinds() {
  return SystemLibraryPresent("kernel32.dll");
}

HANDLE ImageProcesses::CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
  auto snapshot = std::make_shared<ProcessSnapshot>();
  if (flags & TH32CS_SNAPPROCESS) {
    for (pid_t pid : ProcessIds()) {
      pid_t parent = 0;
      std::string name;
      if (!ReadStat(pid, parent, name)) continue;  // ended meanwhile
      // The program's file name when it is a program of the machine, else the kernel's name.
      std::string program = ProgramOf(pid);
      if (!program.empty()) name = program.substr(program.rfind('\\') + 1);
      PROCESSENTRY32 entry;
      entry.th32ProcessID = static_cast<DWORD>(pid);
      entry.th32ParentProcessID = static_cast<DWORD>(parent);
      entry.cntThreads = 1;
      CopyText(entry.szExeFile, sizeof entry.szExeFile, name);
      snapshot->processes.push_back(entry);
    }
  }
  if (flags & TH32CS_SNAPMODULE) {
    const pid_t pid = processId ? static_cast<pid_t>(processId) : getpid();
    for (const ModuleRecord& record : ModulesOf(pid)) {
      MODULEENTRY32 entry;
      entry.th32ProcessID = static_cast<DWORD>(pid);
      entry.th32ModuleID = 1;
      entry.modBaseAddr = reinterpret_cast<BYTE*>(record.base);
      entry.modBaseSize = static_cast<DWORD>(record.size);
      entry.hModule = reinterpret_cast<HMODULE>(record.base);
      CopyText(entry.szModule, sizeof entry.szModule,
               record.windowsPath.substr(record.windowsPath.rfind('\\') + 1));
      CopyText(entry.szExePath, sizeof entry.szExePath, record.windowsPath);
      snapshot->modules.push_back(entry);
    }
  }
  SetLastError(ERROR_SUCCESS);
  return AddHandle(std::move(snapshot));
}

BOOL ImageProcesses::Process32First(HANDLE snapshot, PROCESSENTRY32* entry) {
  auto object = LookUpHandleAs<ProcessSnapshot>(snapshot);
  if (!object) return FALSE;
  object->nextProcess = 0;
  return Process32Next(snapshot, entry);
}

BOOL ImageProcesses::Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) {
  auto object = LookUpHandleAs<ProcessSnapshot>(snapshot);
  if (!object) return FALSE;
  if (!entry || entry->dwSize < sizeof(PROCESSENTRY32)) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (object->nextProcess >= object->processes.size()) return Fail(ERROR_NO_MORE_FILES, FALSE);
  *entry = object->processes[object->nextProcess++];
  return TRUE;
}

BOOL ImageProcesses::Module32First(HANDLE snapshot, MODULEENTRY32* entry) {
  auto object = LookUpHandleAs<ProcessSnapshot>(snapshot);
  if (!object) return FALSE;
  object->nextModule = 0;
  return Module32Next(snapshot, entry);
}

BOOL ImageProcesses::Module32Next(HANDLE snapshot, MODULEENTRY32* entry) {
  auto object = LookUpHandleAs<ProcessSnapshot>(snapshot);
  if (!object) return FALSE;
  if (!entry || entry->dwSize < sizeof(MODULEENTRY32)) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (object->nextModule >= object->modules.size()) return Fail(ERROR_NO_MORE_FILES, FALSE);
  *entry = object->modules[object->nextModule++];
  return TRUE;
}

BOOL ImageProcesses::TerminateProcess(HANDLE process, UINT) {
  auto object = ProcessOf(process);
  if (!object) return FALSE;
  if (!(object->access & PROCESS_TERMINATE)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (!Signal(*object, SIGKILL)) return Fail(Win32ErrorFromErrno(errno), FALSE);
  return TRUE;
}

DWORD ImageProcesses::WaitForSingleObject(HANDLE process, DWORD milliseconds) {
  auto object = ProcessOf(process);
  if (!object) return WAIT_FAILED;
  pollfd ready{object->pidfd, POLLIN, 0};
  const int timeout =
      milliseconds == INFINITE ? -1 : static_cast<int>(std::min<DWORD>(milliseconds, INT_MAX));
  int result;
  do {
    result = poll(&ready, 1, timeout);
  } while (result < 0 && errno == EINTR);
  if (result < 0) return Fail(Win32ErrorFromErrno(errno), WAIT_FAILED);
  if (result == 0) return WAIT_TIMEOUT;
  object->Reap();
  return WAIT_OBJECT_0;
}

BOOL ImageProcesses::SuspendProcess(HANDLE process) {
  auto object = ProcessOf(process);
  if (!object) return FALSE;
  if (!(object->access & PROCESS_SUSPEND_RESUME)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  return Signal(*object, SIGSTOP) ? TRUE : Fail(Win32ErrorFromErrno(errno), FALSE);
}

BOOL ImageProcesses::ResumeProcess(HANDLE process) {
  auto object = ProcessOf(process);
  if (!object) return FALSE;
  if (!(object->access & PROCESS_SUSPEND_RESUME)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  return Signal(*object, SIGCONT) ? TRUE : Fail(Win32ErrorFromErrno(errno), FALSE);
}

DWORD ImageProcesses::GetProcessId(HANDLE process) {
  if (process == GetCurrentProcess()) return static_cast<DWORD>(getpid());
  auto object = ProcessOf(process);
  return object ? static_cast<DWORD>(object->pid) : 0;
}

BOOL ImageProcesses::OpenProcessToken(HANDLE process, DWORD, HANDLE* token) {
  if (!token) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (process != GetCurrentProcess() && !ProcessOf(process)) return FALSE;
  *token = AddHandle(std::make_shared<TokenObject>());
  return TRUE;
}

BOOL ImageProcesses::LookupPrivilegeValueA(LPCSTR, LPCSTR name, LUID* luid) {
  if (!name || !luid) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (std::strcmp(name, SE_DEBUG_NAME) == 0) {
    *luid = LUID{20, 0};
  } else if (std::strcmp(name, SE_SHUTDOWN_NAME) == 0) {
    *luid = LUID{19, 0};
  } else {
    return Fail(ERROR_NO_SUCH_PRIVILEGE, FALSE);
  }
  return TRUE;
}

BOOL ImageProcesses::AdjustTokenPrivileges(HANDLE token, BOOL disableAll,
                                           const TOKEN_PRIVILEGES* newState, DWORD bufferLength,
                                           TOKEN_PRIVILEGES* previousState, DWORD* returnLength) {
  if (!LookUpHandleAs<TokenObject>(token)) return FALSE;
  if (!disableAll && !newState) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  std::lock_guard guard(privilegeLock);
  if (newState && newState->PrivilegeCount >= 1) {
    const LUID_AND_ATTRIBUTES& change = newState->Privileges[0];
    if (previousState && bufferLength >= sizeof(TOKEN_PRIVILEGES)) {
      previousState->PrivilegeCount = 1;
      previousState->Privileges[0].Luid = change.Luid;
      previousState->Privileges[0].Attributes =
          enabledPrivileges.count(change.Luid.LowPart) ? SE_PRIVILEGE_ENABLED : 0;
    }
    if (returnLength) *returnLength = sizeof(TOKEN_PRIVILEGES);
    // Only a process running as root holds these privileges.
    if (geteuid() != 0) return Fail(ERROR_NOT_ALL_ASSIGNED, TRUE);
    if (change.Attributes & SE_PRIVILEGE_ENABLED) {
      enabledPrivileges.insert(change.Luid.LowPart);
    } else {
      enabledPrivileges.erase(change.Luid.LowPart);
    }
  } else if (disableAll) {
    enabledPrivileges.clear();
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

}  // namespace platform

namespace platform {
namespace {

std::string RestartMarkOf(const MachineImage& image) {
  return image.ObjectsFolder() + "/restart-pending";
}

}  // namespace

int ImageProcesses::EndImageProcesses() {
  int ended = 0;
  std::vector<HANDLE> ending;
  for (pid_t pid : ProcessIds()) {
    if (pid == getpid()) continue;
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!process) continue;  // not a process of the image
    if (TerminateProcess(process, 0)) {
      ending.push_back(process);
    } else {
      CloseHandle(process);
    }
  }
  for (HANDLE process : ending) {
    if (WaitForSingleObject(process, 5000) == WAIT_OBJECT_0) ++ended;
    CloseHandle(process);
  }
  return ended;
}

BOOL ImageProcesses::ExitWindowsEx(UINT flags, DWORD) {
  if (!(flags & EWX_REBOOT)) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  std::ofstream(RestartMarkOf(files_.Image())) << "restart\n";
  if (!RestartPending()) return Fail(ERROR_ACCESS_DENIED, FALSE);
  EndImageProcesses();
  return TRUE;
}

bool ImageProcesses::RestartPending() const {
  return access(RestartMarkOf(files_.Image()).c_str(), F_OK) == 0;
}

void ImageProcesses::ClearRestartPending() {
  unlink(RestartMarkOf(files_.Image()).c_str());
}

}  // namespace platform
