// The machine's running processes, with the calls of the process status library, the
// tool-help snapshots, the process token and the restart of the machine.
#pragma once

#include <cstdint>
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

class Processes {
 public:
  virtual ~Processes() = default;

  // Process status.
  virtual BOOL EnumProcesses(DWORD* processIds, DWORD bytes, DWORD* bytesReturned) = 0;
  virtual HANDLE OpenProcess(DWORD desiredAccess, BOOL inheritHandle, DWORD processId) = 0;
  virtual BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes,
                                  DWORD* bytesNeeded) = 0;
  virtual DWORD GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR fileName,
                                     DWORD size) = 0;
  virtual BOOL GetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* information,
                                    DWORD size) = 0;

  // The Windows path of this process's program (only the null module is known), cut to
  // size - 1 characters; its length, or 0 with the last error set when it has none.
  virtual DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) = 0;

  // Whether the process status library binds on this machine with every call above, and
  // tool help with every call below: the program takes the first of them that binds.
  virtual bool ProcessStatusBinds() = 0;
  virtual bool ToolHelpBinds() = 0;

  // Tool help.
  virtual HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) = 0;
  virtual BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry) = 0;
  virtual BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) = 0;
  virtual BOOL Module32First(HANDLE snapshot, MODULEENTRY32* entry) = 0;
  virtual BOOL Module32Next(HANDLE snapshot, MODULEENTRY32* entry) = 0;

  // Control. A process handle is signalled when the process has ended.
  virtual BOOL TerminateProcess(HANDLE process, UINT exitCode) = 0;
  virtual DWORD WaitForSingleObject(HANDLE process, DWORD milliseconds) = 0;
  // Stops or continues all threads of the process (as its threads' suspend and resume).
  virtual BOOL SuspendProcess(HANDLE process) = 0;
  virtual BOOL ResumeProcess(HANDLE process) = 0;
  virtual DWORD GetProcessId(HANDLE process) = 0;

  // EWX_REBOOT: the machine is to restart.
  virtual BOOL ExitWindowsEx(UINT flags, DWORD reason) = 0;

  // The process token and its privileges.
  static HANDLE GetCurrentProcess() { return reinterpret_cast<HANDLE>(~std::uintptr_t{0}); }
  virtual BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, HANDLE* token) = 0;
  virtual BOOL LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, LUID* luid) = 0;
  virtual BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll,
                                     const TOKEN_PRIVILEGES* newState, DWORD bufferLength,
                                     TOKEN_PRIVILEGES* previousState, DWORD* returnLength) = 0;
};

}  // namespace platform
