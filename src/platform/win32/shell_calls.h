// Seam: the system's shell and process start — ShellExecuteA and ShellExecuteExA,
// CreateProcessA, this process's command line, and the target of a shortcut read through the
// shell's link object.
#pragma once

#include <string>

namespace win32 {

// What ShellExecuteExA is given: the fields the platform's record has.
struct ExecuteRequest {
  unsigned long mask = 0;
  void* window = nullptr;
  const char* verb = nullptr;
  const char* file = nullptr;
  const char* parameters = nullptr;
  const char* directory = nullptr;
  int show = 0;
};

// What it gives back: hInstApp and hProcess (the system's handle, the caller's to close).
struct ExecuteOutcome {
  void* instance = nullptr;
  void* process = nullptr;
};

// ShellExecuteA.
void* Execute(void* window, const char* verb, const char* file, const char* parameters,
              const char* directory, int show);
// ShellExecuteExA, never showing the system's own error dialogs: the caller hears of a
// failure and tells the person itself.
bool ExecuteEx(const ExecuteRequest& request, ExecuteOutcome& outcome);

// CreateProcessA with the program as the module name, the command line (none when empty) and
// the folder (the caller's current one when empty); the child's process handle (its thread's
// is closed), or null with the last error set.
void* StartProcess(const std::string& program, const std::string& commandLine,
                   const std::string& directory, unsigned long* processId);

// GetCommandLineA.
std::string ProcessCommandLine();

// The raw path (SLGP_RAWPATH) a shortcut file leads to, read with CLSID_ShellLink's
// IPersistFile::Load and IShellLinkA::GetPath, never Resolve; COM is initialised on the
// calling thread for the call. Empty when any step fails or the link names no path.
std::string ShortcutRawPath(const std::string& path);

}  // namespace win32
