// The system's running processes: the process status library where the system has it (NT),
// tool help where it has that (9x, 2000 and later), and on NT 4, which lacks tool help, a
// process snapshot made from the native process list. Both libraries are bound at run time,
// so that the program starts on every version; a missing call fails with
// ERROR_PROC_NOT_FOUND and the caller turns to the other interface. Also ends, waits for,
// suspends and resumes processes, and adjusts the process token (on 9x, which has no
// security, every token call succeeds without privileges).
#pragma once

#include "platform/processes.h"

namespace platform {

class Win32Processes : public Processes {
 public:
  // The system's paths are Windows paths already: the files are not needed to translate them.
  explicit Win32Processes(Files&) {}

  BOOL EnumProcesses(DWORD* processIds, DWORD bytes, DWORD* bytesReturned) override;
  // The handle keeps the id and the rights asked for.
  HANDLE OpenProcess(DWORD desiredAccess, BOOL inheritHandle, DWORD processId) override;
  BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes,
                          DWORD* bytesNeeded) override;
  DWORD GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR fileName, DWORD size) override;
  BOOL GetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* information,
                            DWORD size) override;
  DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) override;

  // Without tool help (NT 4) a snapshot of TH32CS_SNAPPROCESS alone is made from the native
  // process list; any other snapshot fails there with ERROR_PROC_NOT_FOUND.
  bool ProcessStatusBinds() override;
  bool ToolHelpBinds() override;
  HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) override;
  BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry) override;
  BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) override;
  BOOL Module32First(HANDLE snapshot, MODULEENTRY32* entry) override;
  BOOL Module32Next(HANDLE snapshot, MODULEENTRY32* entry) override;

  BOOL TerminateProcess(HANDLE process, UINT exitCode) override;
  DWORD WaitForSingleObject(HANDLE process, DWORD milliseconds) override;
  // Every thread of the process but the calling one, through a thread snapshot and
  // OpenThread (not on NT 4, where these fail with ERROR_PROC_NOT_FOUND). Suspending is all
  // or nothing: when one thread refuses, those already suspended are resumed.
  BOOL SuspendProcess(HANDLE process) override;
  BOOL ResumeProcess(HANDLE process) override;
  DWORD GetProcessId(HANDLE process) override;

  BOOL ExitWindowsEx(UINT flags, DWORD reason) override;

  BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, HANDLE* token) override;
  BOOL LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, LUID* luid) override;
  BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, const TOKEN_PRIVILEGES* newState,
                             DWORD bufferLength, TOKEN_PRIVILEGES* previousState,
                             DWORD* returnLength) override;
};

}  // namespace platform
