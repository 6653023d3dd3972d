// The machine's running processes over the host's /proc, with the calls of the process
// status library, the tool-help snapshots and the process token. Only processes whose
// program lies inside the image's drives can be opened: the others are visible by id and
// name but unreadable, so nothing here can touch the host's own processes.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/win32_types.h"

namespace platform {

using HMODULE = void*;

constexpr DWORD PROCESS_TERMINATE = 0x0001;
constexpr DWORD PROCESS_VM_READ = 0x0010;
constexpr DWORD PROCESS_QUERY_INFORMATION = 0x0400;
constexpr DWORD PROCESS_SUSPEND_RESUME = 0x0800;
constexpr DWORD SYNCHRONIZE = 0x00100000;
constexpr DWORD PROCESS_ALL_ACCESS = 0x001F0FFF;

constexpr DWORD TH32CS_SNAPPROCESS = 0x00000002;
constexpr DWORD TH32CS_SNAPMODULE = 0x00000008;

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr UINT EWX_REBOOT = 0x00000002;
constexpr DWORD INFINITE = 0xFFFFFFFF;

constexpr DWORD TOKEN_QUERY = 0x0008;
constexpr DWORD TOKEN_ADJUST_PRIVILEGES = 0x0020;
constexpr DWORD SE_PRIVILEGE_ENABLED = 0x00000002;
constexpr DWORD ERROR_NO_TOKEN = 1008;
constexpr DWORD ERROR_NOT_ALL_ASSIGNED = 1300;
constexpr DWORD ERROR_NO_SUCH_PRIVILEGE = 1313;

inline constexpr const char* SE_DEBUG_NAME = "SeDebugPrivilege";
inline constexpr const char* SE_SHUTDOWN_NAME = "SeShutdownPrivilege";

struct PROCESSENTRY32 {
  DWORD dwSize = sizeof(PROCESSENTRY32);
  DWORD cntUsage = 0;
  DWORD th32ProcessID = 0;
  std::uintptr_t th32DefaultHeapID = 0;
  DWORD th32ModuleID = 0;
  DWORD cntThreads = 0;
  DWORD th32ParentProcessID = 0;
  LONG pcPriClassBase = 0;
  DWORD dwFlags = 0;
  char szExeFile[MAX_PATH] = {};
};

struct MODULEENTRY32 {
  DWORD dwSize = sizeof(MODULEENTRY32);
  DWORD th32ModuleID = 0;
  DWORD th32ProcessID = 0;
  DWORD GlblcntUsage = 0;
  DWORD ProccntUsage = 0;
  BYTE* modBaseAddr = nullptr;
  DWORD modBaseSize = 0;
  HMODULE hModule = nullptr;
  char szModule[256] = {};
  char szExePath[MAX_PATH] = {};
};

struct MODULEINFO {
  void* lpBaseOfDll = nullptr;
  DWORD SizeOfImage = 0;
  void* EntryPoint = nullptr;
};

struct LUID {
  DWORD LowPart = 0;
  LONG HighPart = 0;
};

struct LUID_AND_ATTRIBUTES {
  LUID Luid;
  DWORD Attributes = 0;
};

struct TOKEN_PRIVILEGES {
  DWORD PrivilegeCount = 0;
  LUID_AND_ATTRIBUTES Privileges[1];
};

// One module of a process: a program file mapped into it.
struct ModuleRecord {
  std::uintptr_t base = 0;
  std::uintptr_t size = 0;
  std::string windowsPath;
};

class Processes {
 public:
  explicit Processes(Files& files) : files_(files) {}

  // Process status.
  BOOL EnumProcesses(DWORD* processIds, DWORD bytes, DWORD* bytesReturned);
  HANDLE OpenProcess(DWORD desiredAccess, BOOL inheritHandle, DWORD processId);
  BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* bytesNeeded);
  DWORD GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR fileName, DWORD size);
  BOOL GetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* information, DWORD size);

  // The Windows path of this process's program (only the null module is known), cut to
  // size - 1 characters; its length, or 0 with the last error set when it is not in the image.
  DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);

  // Tool help.
  HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId);
  BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry);
  BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32* entry);
  BOOL Module32First(HANDLE snapshot, MODULEENTRY32* entry);
  BOOL Module32Next(HANDLE snapshot, MODULEENTRY32* entry);

  // Control. A process handle is signalled when the process has ended.
  BOOL TerminateProcess(HANDLE process, UINT exitCode);
  DWORD WaitForSingleObject(HANDLE process, DWORD milliseconds);
  // Stops or continues all threads of the process (as its threads' suspend and resume).
  BOOL SuspendProcess(HANDLE process);
  BOOL ResumeProcess(HANDLE process);
  DWORD GetProcessId(HANDLE process);

  // EWX_REBOOT: the machine is to restart. The image records that a restart is pending
  // (RestartPending) and every process of the image but the caller ends; the next start is
  // made by vexmachine boot.
  BOOL ExitWindowsEx(UINT flags, DWORD reason);
  bool RestartPending() const;
  void ClearRestartPending();
  // Ends every process of the image except this one and waits for them; how many ended.
  int EndImageProcesses();

  // The process token and its privileges: granted when this process runs as root,
  // otherwise AdjustTokenPrivileges reports ERROR_NOT_ALL_ASSIGNED as Windows does.
  static HANDLE GetCurrentProcess() { return reinterpret_cast<HANDLE>(~std::uintptr_t{0}); }
  BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, HANDLE* token);
  BOOL LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, LUID* luid);
  BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, const TOKEN_PRIVILEGES* newState,
                             DWORD bufferLength, TOKEN_PRIVILEGES* previousState,
                             DWORD* returnLength);

  // The descriptor that becomes readable when the process of a handle ends; -1 for another
  // kind of handle.
  static int WaitDescriptorOf(HANDLE process);

  // A handle with every right to a child this process started; the child is reaped once it
  // has ended.
  HANDLE HandleOfChild(pid_t pid);

  // The program files mapped into a process inside the drives, the program first; empty
  // when the process cannot be read.
  std::vector<ModuleRecord> ModulesOf(pid_t pid);
  // The Windows path of a process's program, when it lies inside the drives.
  std::string ProgramOf(pid_t pid);

 private:
  Files& files_;
};

}  // namespace platform
