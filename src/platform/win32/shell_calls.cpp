#include "platform/win32/shell_calls.h"

#include "platform/win32/windows_door.h"

// After <windows.h>: the shell's declarations need its types.
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

namespace win32 {

namespace {

// The masks that name fields of the system's record the platform's record does not have
// (class, class key, item list, hot key, icon, monitor): they are never passed on, so the
// system never reads those fields.
constexpr unsigned long kMasksOfAbsentFields =
    SEE_MASK_CLASSKEY | SEE_MASK_IDLIST | SEE_MASK_HOTKEY | SEE_MASK_ICON | SEE_MASK_HMONITOR;

// The path as the wide text COM's calls take, in the system's ANSI code page.
std::wstring Wide(const std::string& text) {
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
  wide.resize(static_cast<std::size_t>(length) - 1);
  return wide;
}

}  // namespace

void* Execute(void* window, const char* verb, const char* file, const char* parameters,
              const char* directory, int show) {
  return ::ShellExecuteA(static_cast<HWND>(window), verb, file, parameters, directory, show);
}

bool ExecuteEx(const ExecuteRequest& request, ExecuteOutcome& outcome) {
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = (request.mask & ~kMasksOfAbsentFields) | SEE_MASK_FLAG_NO_UI;
  info.hwnd = static_cast<HWND>(request.window);
  info.lpVerb = request.verb;
  info.lpFile = request.file;
  info.lpParameters = request.parameters;
  info.lpDirectory = request.directory;
  info.nShow = request.show;
  const BOOL done = ::ShellExecuteExA(&info);
  outcome.instance = info.hInstApp;
  outcome.process = info.hProcess;
  return done != FALSE;
}

void* StartProcess(const std::string& program, const std::string& commandLine,
                   const std::string& directory, unsigned long* processId) {
  // CreateProcessA may write into the command line it is given.
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!::CreateProcessA(program.c_str(), commandLine.empty() ? nullptr : line.data(), nullptr,
                        nullptr, FALSE, 0, nullptr, directory.empty() ? nullptr : directory.c_str(),
                        &startup, &started))
    return nullptr;
  ::CloseHandle(started.hThread);
  *processId = started.dwProcessId;
  return started.hProcess;
}

std::string ProcessCommandLine() {
  const char* line = ::GetCommandLineA();
  return line ? line : "";
}

std::string ShortcutRawPath(const std::string& path) {
  // Every successful CoInitialize, S_FALSE too, is balanced; a thread already in the other
  // apartment model (RPC_E_CHANGED_MODE) can use COM as it is.
  const HRESULT initialised = ::CoInitialize(nullptr);
  std::string target;
  IShellLinkA* link = nullptr;
  if (SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      const std::wstring wide = Wide(path);
      char buffer[MAX_PATH] = {};
      if (!wide.empty() && SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
          link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH) == S_OK) {
        buffer[MAX_PATH - 1] = '\0';
        target = buffer;
      }
      file->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(initialised)) ::CoUninitialize();
  return target;
}

}  // namespace win32
