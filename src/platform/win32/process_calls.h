// Seam: opening, ending, waiting for and suspending processes, this program's path, the
// system's family and the machine's restart, through kernel32 and user32. OpenThread (not on
// NT 4) and GetProcessId (not before XP SP1) are bound by name at run time; without them the
// calls that need them fail with ERROR_PROC_NOT_FOUND.
#pragma once

#include <string>

namespace win32 {

// The system's pseudo handle of the calling process, and the caller's ids.
void* ThisProcessHandle();
unsigned long ThisProcessId();
unsigned long ThisThreadId();

// Null with the error set when the process cannot be opened.
void* OpenProcessById(unsigned long access, bool inheritHandle, unsigned long processId);
bool TerminateProcessOf(void* process, unsigned exitCode);
unsigned long WaitForProcess(void* process, unsigned long milliseconds);  // WaitForSingleObject
unsigned long ProcessIdOf(void* process);                                 // GetProcessId

// The thread's suspend count before the call, or -1 with the error set (an ended thread
// cannot be opened: ERROR_INVALID_PARAMETER).
long SuspendThreadById(unsigned long threadId);
long ResumeThreadById(unsigned long threadId);

// The whole path of this process's program; false with the error set.
bool ProgramPath(std::string& path);

// Whether the system is Windows 95, 98 or ME, which has no security (no tokens, no
// privileges).
bool RunsWindows9x();

bool ExitWindowsWith(unsigned flags, unsigned long reason);  // ExitWindowsEx

}  // namespace win32
