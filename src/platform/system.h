// What the machine tells about itself: version, user, code page, environment strings, shell
// folders and system message texts, all read from the image's registry where Windows keeps
// them.
#pragma once

#include <functional>
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

  // The 8.3 form of an existing path, which the NT systems before Vista give the user's
  // TEMP and TMP in (so that they hold no blank); set by the machine once its files exist.
  using ShortPathForm = std::function<std::optional<std::string>(const std::string& path)>;
  void SetShortPathForm(ShortPathForm form) { shortPathForm_ = std::move(form); }

  BOOL GetVersionExA(OSVERSIONINFOA* version);
  BOOL GetUserNameA(LPSTR buffer, DWORD* size);
  UINT GetACP();
  UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);
  UINT GetSystemDirectoryA(LPSTR buffer, UINT size);
  DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size);
  // Replaces each %NAME% that names an environment string; the result's size counts the
  // terminating zero, and is what is needed when the buffer is too small.
  DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR destination, DWORD size);
  HRESULT SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, LPSTR path);
  DWORD FormatMessageA(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                       LPSTR buffer, DWORD size, void* arguments);

  // The same as texts.
  std::optional<std::string> UserName();
  std::string WindowsDirectory();
  std::string SystemDirectory();
  std::optional<std::string> EnvironmentVariable(const std::string& name);
  std::vector<std::pair<std::string, std::string>> EnvironmentBlock();
  // The folders of the PATH environment string, in order, empty entries left out.
  std::vector<std::string> PathFolders();
  std::string Expand(const std::string& text);
  std::optional<std::string> FolderPath(int folder);
  // A text value of the registry (REG_SZ or REG_EXPAND_SZ) up to its first zero; the second
  // with its environment strings expanded.
  std::optional<std::string> ReadText(HKEY root, const std::string& key, const std::string& value);
  std::optional<std::string> ReadExpanded(HKEY root, const std::string& key,
                                          const std::string& value);

 private:
  bool IsNt();
  std::optional<std::string> ProfilePath();
  std::string ExpandWith(const std::string& text,
                         const std::vector<std::pair<std::string, std::string>>& block);

  Registry& registry_;
  ShortPathForm shortPathForm_;
};

// The English text Windows gives for a system status code, with its line end.
std::optional<std::string> SystemMessageText(DWORD code);

}  // namespace platform
