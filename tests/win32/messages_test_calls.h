// The messages test's own seam to the system: a program started and ended, for a process
// handle to wait for.
#pragma once

namespace win32 {

// CreateProcessA of the program without arguments: the system's process handle, or null.
void* StartProgram(const char* path);
// TerminateProcess; the process ends soon after.
bool EndProgram(void* process);

}  // namespace win32
