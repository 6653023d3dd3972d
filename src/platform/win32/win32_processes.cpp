#include "platform/win32/win32_processes.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/last_error.h"
#include "platform/win32/process_calls.h"
#include "platform/win32/process_status_calls.h"
#include "platform/win32/tool_help_calls.h"
#include "platform/win32/win32_process_handle.h"

namespace platform {
namespace {

// Rounds of thread snapshots while suspending: threads started meanwhile are caught by the
// next round, up to this many rounds for a process that keeps starting them.
constexpr int kSuspendRounds = 8;

// The threads of the process that a switch applies to: all but the calling thread, so that
// a process that suspends itself goes on running the call. A process with no thread left has
// ended, and the system refuses to switch an ending process with ERROR_ACCESS_DENIED.
bool ThreadsToSwitch(DWORD processId, std::vector<unsigned long>& threads) {
  if (!win32::ThreadIdsOf(processId, threads)) return false;
  std::erase(threads, win32::ThisThreadId());
  if (threads.empty() && processId != win32::ThisProcessId())
    return Fail(ERROR_ACCESS_DENIED, false);
  return true;
}

// The id of the process to switch, or 0 with the error set. A handle opened without
// PROCESS_SUSPEND_RESUME is refused, as the system's own process suspension refuses it; the
// threads are opened on their own and would not check that right.
DWORD ProcessToSwitch(Processes& processes, HANDLE process) {
  if (!SystemProcessOf(process)) return 0;
  if (auto opened = LookUpHandleAs<ProcessHandle>(process))
    if (!(opened->Access() & PROCESS_SUSPEND_RESUME)) return Fail(ERROR_ACCESS_DENIED, 0u);
  return processes.GetProcessId(process);
}

}  // namespace

BOOL Win32Processes::EnumProcesses(DWORD* processIds, DWORD bytes, DWORD* bytesReturned) {
  if (!processIds || !bytesReturned) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  unsigned long returned = 0;
  if (!win32::EnumProcessIds(processIds, bytes, &returned)) return FALSE;
  *bytesReturned = static_cast<DWORD>(returned);
  return TRUE;
}

HANDLE Win32Processes::OpenProcess(DWORD desiredAccess, BOOL inheritHandle, DWORD processId) {
  void* process = win32::OpenProcessById(desiredAccess, inheritHandle != FALSE, processId);
  if (!process) return nullptr;
  // Windows 9x has no security: every handle has every right.
  return AddProcessHandle(process, processId,
                          win32::RunsWindows9x() ? PROCESS_ALL_ACCESS : desiredAccess);
}

BOOL Win32Processes::EnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes,
                                        DWORD* bytesNeeded) {
  void* system = SystemProcessOf(process);
  if (!system) return FALSE;
  if (!modules && bytes > 0) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  unsigned long needed = 0;
  if (!win32::EnumProcessModuleHandles(system, modules, bytes, &needed)) return FALSE;
  if (bytesNeeded) *bytesNeeded = static_cast<DWORD>(needed);
  return TRUE;
}

DWORD Win32Processes::GetModuleFileNameExA(HANDLE process, HMODULE module, LPSTR fileName,
                                           DWORD size) {
  void* system = SystemProcessOf(process);
  if (!system) return 0;
  if (!fileName || size == 0) return Fail(ERROR_INVALID_PARAMETER, 0u);
  return static_cast<DWORD>(win32::ModuleFileNameInProcess(system, module, fileName, size));
}

BOOL Win32Processes::GetModuleInformation(HANDLE process, HMODULE module, MODULEINFO* information,
                                          DWORD size) {
  void* system = SystemProcessOf(process);
  if (!system) return FALSE;
  if (!information) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  win32::ModuleSpan span;
  if (!win32::ModuleSpanInProcess(system, module, &span, size)) return FALSE;
  information->lpBaseOfDll = span.base;
  information->SizeOfImage = span.size;
  information->EntryPoint = span.entryPoint;
  return TRUE;
}

DWORD Win32Processes::GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  if (module || !fileName || size == 0) return Fail(ERROR_INVALID_PARAMETER, 0u);
  std::string program;
  if (!win32::ProgramPath(program)) return 0;
  // Cut and terminated on every version (XP leaves a cut path unterminated).
  const std::size_t length = std::min<std::size_t>(program.size(), size - 1);
  program.copy(fileName, length);
  fileName[length] = '\0';
  if (length < program.size()) return Fail(ERROR_INSUFFICIENT_BUFFER, size);
  return static_cast<DWORD>(length);
}

BOOL Win32Processes::TerminateProcess(HANDLE process, UINT exitCode) {
  void* system = SystemProcessOf(process);
  if (!system) return FALSE;
  return win32::TerminateProcessOf(system, exitCode) ? TRUE : FALSE;
}

DWORD Win32Processes::WaitForSingleObject(HANDLE process, DWORD milliseconds) {
  void* system = SystemProcessOf(process);
  if (!system) return WAIT_FAILED;
  return static_cast<DWORD>(win32::WaitForProcess(system, milliseconds));
}

BOOL Win32Processes::SuspendProcess(HANDLE process) {
  const DWORD processId = ProcessToSwitch(*this, process);
  std::vector<unsigned long> threads;
  if (processId == 0 || !ThreadsToSwitch(processId, threads)) return FALSE;
  std::set<unsigned long> suspended;
  bool added = true;
  for (int round = 0; added && round < kSuspendRounds; ++round) {
    if (round > 0 && !ThreadsToSwitch(processId, threads)) break;
    added = false;
    for (unsigned long thread : threads) {
      if (suspended.count(thread)) continue;
      if (win32::SuspendThreadById(thread) >= 0) {
        suspended.insert(thread);
        added = true;
        continue;
      }
      const DWORD error = GetLastError();
      if (error == ERROR_INVALID_PARAMETER) continue;  // the thread ended meanwhile
      for (unsigned long done : suspended) win32::ResumeThreadById(done);
      return Fail(error, FALSE);
    }
  }
  if (suspended.empty() && processId != win32::ThisProcessId())
    return Fail(ERROR_ACCESS_DENIED, FALSE);  // every thread ended meanwhile
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL Win32Processes::ResumeProcess(HANDLE process) {
  const DWORD processId = ProcessToSwitch(*this, process);
  std::vector<unsigned long> threads;
  if (processId == 0 || !ThreadsToSwitch(processId, threads)) return FALSE;
  // Every thread is resumed that can be; the first refusal is reported.
  DWORD failure = ERROR_SUCCESS;
  for (unsigned long thread : threads) {
    if (win32::ResumeThreadById(thread) >= 0) continue;
    const DWORD error = GetLastError();
    if (error != ERROR_INVALID_PARAMETER && failure == ERROR_SUCCESS) failure = error;
  }
  SetLastError(failure);
  return failure == ERROR_SUCCESS ? TRUE : FALSE;
}

DWORD Win32Processes::GetProcessId(HANDLE process) {
  if (process == GetCurrentProcess()) return static_cast<DWORD>(win32::ThisProcessId());
  void* system = SystemProcessOf(process);
  if (!system) return 0;
  if (auto opened = LookUpHandleAs<ProcessHandle>(process)) return opened->ProcessId();
  // A process handle some other service made without its id.
  return static_cast<DWORD>(win32::ProcessIdOf(system));
}

BOOL Win32Processes::ExitWindowsEx(UINT flags, DWORD reason) {
  return win32::ExitWindowsWith(flags, reason) ? TRUE : FALSE;
}

}  // namespace platform
