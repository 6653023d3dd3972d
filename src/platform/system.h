// What the machine tells about itself: version, user, code page, environment strings, shell
// folders and system message texts.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"
#include "platform/win32_types.h"

namespace platform {

using HRESULT = LONG;

constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);

constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;
constexpr DWORD VER_PLATFORM_WIN32_CE = 3;

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  DWORD dwMajorVersion = 0;
  DWORD dwMinorVersion = 0;
  DWORD dwBuildNumber = 0;
  DWORD dwPlatformId = 0;
  char szCSDVersion[128] = {};
};

// Shell folder ids.
constexpr int CSIDL_PROGRAMS = 0x0002;
constexpr int CSIDL_PERSONAL = 0x0005;
constexpr int CSIDL_FAVORITES = 0x0006;
constexpr int CSIDL_STARTUP = 0x0007;
constexpr int CSIDL_RECENT = 0x0008;
constexpr int CSIDL_SENDTO = 0x0009;
constexpr int CSIDL_STARTMENU = 0x000b;
constexpr int CSIDL_DESKTOPDIRECTORY = 0x0010;
constexpr int CSIDL_TEMPLATES = 0x0015;
constexpr int CSIDL_COMMON_STARTMENU = 0x0016;
constexpr int CSIDL_COMMON_PROGRAMS = 0x0017;
constexpr int CSIDL_COMMON_STARTUP = 0x0018;
constexpr int CSIDL_COMMON_DESKTOPDIRECTORY = 0x0019;
constexpr int CSIDL_APPDATA = 0x001a;
constexpr int CSIDL_LOCAL_APPDATA = 0x001c;
constexpr int CSIDL_COMMON_FAVORITES = 0x001f;
constexpr int CSIDL_INTERNET_CACHE = 0x0020;
constexpr int CSIDL_COOKIES = 0x0021;
constexpr int CSIDL_HISTORY = 0x0022;
constexpr int CSIDL_COMMON_APPDATA = 0x0023;
constexpr int CSIDL_WINDOWS = 0x0024;
constexpr int CSIDL_SYSTEM = 0x0025;
constexpr int CSIDL_PROGRAM_FILES = 0x0026;
constexpr int CSIDL_PROFILE = 0x0028;
constexpr int CSIDL_PROGRAM_FILES_COMMON = 0x002b;
constexpr int CSIDL_FLAG_CREATE = 0x8000;

// FormatMessageA flags.
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
constexpr DWORD ERROR_MR_MID_NOT_FOUND = 317;

// Where Windows keeps what this service reads.
inline constexpr const char* kNtVersionKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
inline constexpr const char* kWindowsVersionKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
inline constexpr const char* kCodePageKey = "SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage";
inline constexpr const char* kSystemEnvironmentKey =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
inline constexpr const char* kUserEnvironmentKey = "Environment";
inline constexpr const char* kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const char* kUserShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
inline constexpr const char* kWinlogonKey =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
inline constexpr const char* kProfileListKey =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
inline constexpr const char* kWindows9xUserKey = "System\\CurrentControlSet\\Control";
inline constexpr const char* kComputerNameKey =
    "SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName";

class System {
 public:
  explicit System(Registry& registry) : registry_(registry) {}
  virtual ~System() = default;

  // True when the machine is a system that is not running, examined from outside (a disk
  // attached to another system): none of its processes run and nothing waits for its next
  // start.
  virtual bool RunsOffline() { return false; }
  virtual BOOL GetVersionExA(OSVERSIONINFOA* version) = 0;
  virtual BOOL GetUserNameA(LPSTR buffer, DWORD* size) = 0;
  virtual UINT GetACP() = 0;
  virtual UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) = 0;
  virtual UINT GetSystemDirectoryA(LPSTR buffer, UINT size) = 0;
  virtual DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) = 0;
  // Replaces each %NAME% that names an environment string; the result's size counts the
  // terminating zero, and is what is needed when the buffer is too small.
  virtual DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR destination, DWORD size) = 0;
  virtual HRESULT SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags,
                                   LPSTR path) = 0;
  virtual DWORD FormatMessageA(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                               LPSTR buffer, DWORD size, void* arguments) = 0;

  // The same as texts.
  std::optional<std::string> UserName();
  std::string WindowsDirectory();
  std::string SystemDirectory();
  std::optional<std::string> EnvironmentVariable(const std::string& name);
  // The folders of the PATH environment string, in order, empty entries left out.
  std::vector<std::string> PathFolders();
  std::string Expand(const std::string& text);
  std::optional<std::string> FolderPath(int folder);
  // The system's text for a status code, with the line end the system gives it; empty when
  // it has none.
  std::string ErrorText(DWORD code);
  // A text value of the registry (REG_SZ or REG_EXPAND_SZ) up to its first zero; the second
  // with its environment strings expanded.
  std::optional<std::string> ReadText(HKEY root, const std::string& key, const std::string& value);
  std::optional<std::string> ReadExpanded(HKEY root, const std::string& key,
                                          const std::string& value);

 protected:
  Registry& registry_;
};

}  // namespace platform
