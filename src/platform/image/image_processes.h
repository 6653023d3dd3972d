// The running processes of a machine image over the host's /proc. Only processes whose
// program lies inside the image's drives can be opened: the others are visible by id and
// name but unreadable, so nothing here can touch the host's own processes. A restart is
// recorded in the image, and vexmachine boot makes the next start.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/image/image_files.h"
#include "platform/processes.h"
#include "platform/system.h"

namespace platform {

// One module of a process: a program file mapped into it.
struct ModuleRecord {
  std::uintptr_t base = 0;
  std::uintptr_t size = 0;
  std::string windowsPath;
};

class ImageProcesses : public Processes {
 public:
  ImageProcesses(ImageFiles& files, System& system) : files_(files), system_(system) {}

  BOOL EnumProcesses(DWORD* processIds, DWORD bytes, DWORD* bytesReturned) override;
  HANDLE OpenProcess(DWORD desiredAccess, BOOL inheritHandle, DWORD processId) override;
  BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes,
                          DWORD* bytesNeeded) override;
  DWORD GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR fileName, DWORD size) override;
  BOOL GetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* information,
                            DWORD size) override;
  DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) override;

  // The libraries bind where the image's system folder holds them ("psapi.dll", and tool
  // help in "kernel32.dll"), as a system that has them.
  bool ProcessStatusBinds() override;
  bool ToolHelpBinds() override;
  HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) override;
  BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry) override;
  BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) override;
  BOOL Module32First(HANDLE snapshot, MODULEENTRY32* entry) override;
  BOOL Module32Next(HANDLE snapshot, MODULEENTRY32* entry) override;

  BOOL TerminateProcess(HANDLE process, UINT exitCode) override;
  DWORD WaitForSingleObject(HANDLE process, DWORD milliseconds) override;
  BOOL SuspendProcess(HANDLE process) override;
  BOOL ResumeProcess(HANDLE process) override;
  DWORD GetProcessId(HANDLE process) override;

  // The image records that a restart is pending (RestartPending) and every process of the
  // image but the caller ends; the next start is made by vexmachine boot.
  BOOL ExitWindowsEx(UINT flags, DWORD reason) override;
  bool RestartPending() const;
  void ClearRestartPending();
  // Ends every process of the image except this one and waits for them; how many ended.
  int EndImageProcesses();

  // Granted when this process runs as root, otherwise AdjustTokenPrivileges reports
  // ERROR_NOT_ALL_ASSIGNED as Windows does.
  BOOL OpenProcessToken(HANDLE process, DWORD desiredAccess, HANDLE* token) override;
  BOOL LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, LUID* luid) override;
  BOOL AdjustTokenPrivileges(HANDLE token, BOOL disableAll, const TOKEN_PRIVILEGES* newState,
                             DWORD bufferLength, TOKEN_PRIVILEGES* previousState,
                             DWORD* returnLength) override;

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
  bool SystemLibraryPresent(const char* name);

  ImageFiles& files_;
  System& system_;
};

}  // namespace platform
