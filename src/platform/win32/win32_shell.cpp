#include "platform/win32/win32_shell.h"

#include "platform/last_error.h"
#include "platform/processes.h"
#include "platform/win32/shell_calls.h"
#include "platform/win32/system_handles.h"
#include "platform/win32/win32_process_handle.h"

namespace platform {

std::string GetCommandLineA() {
  return win32::ProcessCommandLine();
}

HINSTANCE Win32Shell::ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                    LPCSTR directory, int show) {
  return win32::Execute(owner, verb, file, parameters, directory, show);
}

BOOL Win32Shell::ShellExecuteExA(SHELLEXECUTEINFOA* info) {
  if (!info || info->cbSize < sizeof(SHELLEXECUTEINFOA))
    return Fail(ERROR_INVALID_PARAMETER, FALSE);
  win32::ExecuteRequest request;
  request.mask = info->fMask;
  request.window = info->hwnd;
  request.verb = info->lpVerb;
  request.file = info->lpFile;
  request.parameters = info->lpParameters;
  request.directory = info->lpDirectory;
  request.show = info->nShow;
  win32::ExecuteOutcome outcome;
  const bool done = win32::ExecuteEx(request, outcome);
  info->hInstApp = outcome.instance;
  // A document handed to a running program (by DDE) may come without a process.
  info->hProcess =
      outcome.process ? AddSystemHandle(outcome.process, SystemHandleKind::Process) : nullptr;
  return done ? TRUE : FALSE;
}

HANDLE Win32Shell::StartProgram(const std::string& program, const std::string& commandLine,
                                const std::string& directory) {
  unsigned long processId = 0;
  void* process = win32::StartProcess(program, commandLine, directory, &processId);
  if (!process) return nullptr;  // the system's last error stands
  // The id kept with the handle: GetProcessId is missing before XP SP1.
  return AddProcessHandle(process, static_cast<DWORD>(processId), PROCESS_ALL_ACCESS);
}

std::string Win32Shell::ShortcutTarget(const std::string& path) {
  // The raw path keeps the environment strings of a link made with them ("%ProgramFiles%\..."):
  // expanded here, as the shell expands them for its usual path.
  const std::string raw = win32::ShortcutRawPath(path);
  return raw.find('%') == std::string::npos ? raw : system_.Expand(raw);
}

}  // namespace platform
