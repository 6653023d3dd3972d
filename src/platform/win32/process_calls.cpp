#include "platform/win32/process_calls.h"

#include "platform/win32/windows_door.h"

#include <vector>

#include "platform/win32/system_library_calls.h"

namespace win32 {
namespace {

constexpr const char* kLibrary = "kernel32.dll";
constexpr DWORD kLongestPath = 32768;  // the longest path Windows knows

struct LaterCalls {
  using OpenThreadCall = HANDLE(WINAPI*)(DWORD, BOOL, DWORD);
  using GetProcessIdCall = DWORD(WINAPI*)(HANDLE);

  OpenThreadCall openThread = BindSystemFunction<OpenThreadCall>(kLibrary, "OpenThread");
  GetProcessIdCall getProcessId = BindSystemFunction<GetProcessIdCall>(kLibrary, "GetProcessId");
};

const LaterCalls& Library() {
  static const LaterCalls library;
  return library;
}

// Opens the thread for suspending and resuming, applies the call and closes it again.
template <typename Call>
long WithThread(unsigned long threadId, Call call) {
  const auto openThread = Library().openThread;
  if (!openThread) {
    SetMissingFunctionError();
    return -1;
  }
  HANDLE thread = openThread(THREAD_SUSPEND_RESUME, FALSE, threadId);
  if (!thread) return -1;
  const DWORD count = call(thread);
  const DWORD error = ::GetLastError();
  ::CloseHandle(thread);
  ::SetLastError(error);
  return count == static_cast<DWORD>(-1) ? -1 : static_cast<long>(count);
}

}  // namespace

void* ThisProcessHandle() {
  return ::GetCurrentProcess();
}

unsigned long ThisProcessId() {
  return ::GetCurrentProcessId();
}

unsigned long ThisThreadId() {
  return ::GetCurrentThreadId();
}

void* OpenProcessById(unsigned long access, bool inheritHandle, unsigned long processId) {
  return ::OpenProcess(access, inheritHandle ? TRUE : FALSE, processId);
}

bool TerminateProcessOf(void* process, unsigned exitCode) {
  return ::TerminateProcess(process, exitCode) != FALSE;
}

unsigned long WaitForProcess(void* process, unsigned long milliseconds) {
  return ::WaitForSingleObject(process, milliseconds);
}

unsigned long ProcessIdOf(void* process) {
  const auto call = Library().getProcessId;
  if (!call) {
    SetMissingFunctionError();
    return 0;
  }
  return call(process);
}

long SuspendThreadById(unsigned long threadId) {
  return WithThread(threadId, [](HANDLE thread) { return ::SuspendThread(thread); });
}

long ResumeThreadById(unsigned long threadId) {
  return WithThread(threadId, [](HANDLE thread) { return ::ResumeThread(thread); });
}

bool ProgramPath(std::string& path) {
  // A path that fills the buffer may have been cut (XP then returns the size, unterminated):
  // ask again with more room.
  for (DWORD size = MAX_PATH; size <= kLongestPath; size *= 2) {
    std::vector<char> buffer(size);
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), size);
    if (length == 0) return false;
    if (length < size) {
      path.assign(buffer.data(), length);
      return true;
    }
  }
  ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return false;
}

bool RunsWindows9x() {
  static const bool windows9x = [] {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    return ::GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
  }();
  return windows9x;
}

bool ExitWindowsWith(unsigned flags, unsigned long reason) {
  return ::ExitWindowsEx(flags, reason) != FALSE;
}

}  // namespace win32
