#include "platform/image/image_system.h"
#include "platform/files.h"

#include <cstdio>
#include <cstring>
#include <map>

#include "platform/last_error.h"

namespace platform {

namespace {

std::string WithoutTrailingBackslash(std::string path) {
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

struct ShellFolder {
  int id;
  const char* valueName;
  bool common;  // under HKEY_LOCAL_MACHINE
};

constexpr ShellFolder kShellFolders[] = {
    {CSIDL_PROGRAMS, "Programs", false},
    {CSIDL_PERSONAL, "Personal", false},
    {CSIDL_FAVORITES, "Favorites", false},
    {CSIDL_STARTUP, "Startup", false},
    {CSIDL_RECENT, "Recent", false},
    {CSIDL_SENDTO, "SendTo", false},
    {CSIDL_STARTMENU, "Start Menu", false},
    {CSIDL_DESKTOPDIRECTORY, "Desktop", false},
    {CSIDL_TEMPLATES, "Templates", false},
    {CSIDL_COMMON_STARTMENU, "Common Start Menu", true},
    {CSIDL_COMMON_PROGRAMS, "Common Programs", true},
    {CSIDL_COMMON_STARTUP, "Common Startup", true},
    {CSIDL_COMMON_DESKTOPDIRECTORY, "Common Desktop", true},
    {CSIDL_APPDATA, "AppData", false},
    {CSIDL_LOCAL_APPDATA, "Local AppData", false},
    {CSIDL_COMMON_FAVORITES, "Common Favorites", true},
    {CSIDL_INTERNET_CACHE, "Cache", false},
    {CSIDL_COOKIES, "Cookies", false},
    {CSIDL_HISTORY, "History", false},
    {CSIDL_COMMON_APPDATA, "Common AppData", true},
};

const std::map<DWORD, const char*>& MessageTexts() {
  static const std::map<DWORD, const char*> texts = {
      {0, "The operation completed successfully."},
      {1, "Incorrect function."},
      {2, "The system cannot find the file specified."},
      {3, "The system cannot find the path specified."},
      {4, "The system cannot open the file."},
      {5, "Access is denied."},
      {6, "The handle is invalid."},
      {8, "Not enough storage is available to process this command."},
      {15, "The system cannot find the drive specified."},
      {16, "The directory cannot be removed."},
      {17, "The system cannot move the file to a different disk drive."},
      {18, "There are no more files."},
      {19, "The media is write protected."},
      {32, "The process cannot access the file because it is being used by another process."},
      {38, "Reached the end of the file."},
      {53, "The network path was not found."},
      {80, "The file exists."},
      {87, "The parameter is incorrect."},
      {112, "There is not enough space on the disk."},
      {122, "The data area passed to a system call is too small."},
      {123, "The filename, directory name, or volume label syntax is incorrect."},
      {131, "An attempt was made to move the file pointer before the beginning of the file."},
      {145, "The directory is not empty."},
      {161, "The specified path is invalid."},
      {183, "Cannot create a file when that file already exists."},
      {206, "The filename or extension is too long."},
      {234, "More data is available."},
      {259, "No more data is available."},
      {267, "The directory name is invalid."},
      {1010, "The configuration registry key is invalid."},
      {1018, "Illegal operation attempted on a registry key that has been marked for deletion."},
  };
  return texts;
}

}  // namespace

std::optional<std::string> SystemMessageText(DWORD code) {
  auto found = MessageTexts().find(code);
  if (found == MessageTexts().end()) return std::nullopt;
  return std::string(found->second) + "\r\n";
}

bool ImageSystem::IsNt() {
  return ReadText(HKEY_LOCAL_MACHINE, kNtVersionKey, "CurrentVersion").has_value();
}

BOOL ImageSystem::GetVersionExA(OSVERSIONINFOA* version) {
  if (!version || version->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA))
    return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  unsigned major = 0, minor = 0, build = 0;
  std::string servicePack;
  if (auto current = ReadText(HKEY_LOCAL_MACHINE, kNtVersionKey, "CurrentVersion")) {
    if (std::sscanf(current->c_str(), "%u.%u", &major, &minor) != 2)
      return Fail(ERROR_BADKEY, FALSE);
    auto number = ReadText(HKEY_LOCAL_MACHINE, kNtVersionKey, "CurrentBuildNumber");
    if (number) build = static_cast<unsigned>(std::strtoul(number->c_str(), nullptr, 10));
    servicePack = ReadText(HKEY_LOCAL_MACHINE, kNtVersionKey, "CSDVersion").value_or("");
    version->dwPlatformId = VER_PLATFORM_WIN32_NT;
    version->dwBuildNumber = build;
  } else if (auto number = ReadText(HKEY_LOCAL_MACHINE, kWindowsVersionKey, "VersionNumber")) {
    // Windows 9x keeps "4.10.2222"; its build number also carries the version in its high
    // half: major in bits 24 to 31, minor in bits 16 to 23.
    if (std::sscanf(number->c_str(), "%u.%u.%u", &major, &minor, &build) < 2)
      return Fail(ERROR_BADKEY, FALSE);
    servicePack = ReadText(HKEY_LOCAL_MACHINE, kWindowsVersionKey, "SubVersionNumber").value_or("");
    version->dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    version->dwBuildNumber = (major & 0xFF) << 24 | (minor & 0xFF) << 16 | (build & 0xFFFF);
  } else {
    return Fail(ERROR_BADKEY, FALSE);
  }
  version->dwMajorVersion = major;
  version->dwMinorVersion = minor;
  std::snprintf(version->szCSDVersion, sizeof version->szCSDVersion, "%s", servicePack.c_str());
  return TRUE;
}

std::optional<std::string> ImageSystem::RegistryUserName() {
  if (auto user = ReadText(HKEY_LOCAL_MACHINE, kWinlogonKey, "DefaultUserName")) return user;
  return ReadText(HKEY_LOCAL_MACHINE, kWindows9xUserKey, "Current User");
}

BOOL ImageSystem::GetUserNameA(LPSTR buffer, DWORD* size) {
  if (!size) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  auto user = RegistryUserName();
  if (!user) return Fail(ERROR_BADKEY, FALSE);
  if (!buffer || *size <= user->size()) {
    *size = static_cast<DWORD>(user->size() + 1);
    return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  }
  std::memcpy(buffer, user->c_str(), user->size() + 1);
  *size = static_cast<DWORD>(user->size() + 1);  // counts the terminating zero
  return TRUE;
}

UINT ImageSystem::GetACP() {
  auto text = ReadText(HKEY_LOCAL_MACHINE, kCodePageKey, "ACP");
  unsigned number = text ? static_cast<unsigned>(std::strtoul(text->c_str(), nullptr, 10)) : 0;
  return number ? number : registry_.Code().Number();
}

std::string ImageSystem::WindowsFolder() {
  auto root = ReadText(HKEY_LOCAL_MACHINE, kNtVersionKey, "SystemRoot");
  if (!root) root = ReadText(HKEY_LOCAL_MACHINE, kWindowsVersionKey, "SystemRoot");
  return WithoutTrailingBackslash(root.value_or("C:\\WINDOWS"));
}

std::string ImageSystem::SystemFolder() {
  return WindowsFolder() + (IsNt() ? "\\system32" : "\\SYSTEM");
}

UINT ImageSystem::GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  return CopyOutText(WindowsFolder(), buffer, size);
}

UINT ImageSystem::GetSystemDirectoryA(LPSTR buffer, UINT size) {
  return CopyOutText(SystemFolder(), buffer, size);
}

std::optional<std::string> ImageSystem::ProfilePath() {
  std::string sid = imageRegistry_.CurrentUserKeyName();
  return ReadText(HKEY_LOCAL_MACHINE, std::string(kProfileListKey) + "\\" + sid,
                  "ProfileImagePath");
}

std::string ImageSystem::ExpandWith(const std::string& text,
                                    const std::vector<std::pair<std::string, std::string>>& block) {
  std::string result;
  const CodePage& codePage = registry_.Code();
  std::size_t position = 0;
  while (position < text.size()) {
    std::size_t open = text.find('%', position);
    std::size_t close = open == std::string::npos ? open : text.find('%', open + 1);
    if (close == std::string::npos) break;
    result.append(text, position, open - position);
    std::string name = text.substr(open + 1, close - open - 1);
    const std::string* value = nullptr;
    for (const auto& [variable, content] : block) {
      if (!name.empty() && codePage.EqualNoCase(variable, name)) value = &content;
    }
    if (value) {
      result += *value;
      position = close + 1;
    } else {
      result += '%';  // not a variable: the percent sign stays, the next one may start one
      position = open + 1;
    }
  }
  result.append(text, position, std::string::npos);
  return result;
}

std::vector<std::pair<std::string, std::string>> ImageSystem::EnvironmentBlock() {
  std::vector<std::pair<std::string, std::string>> block;
  const CodePage& codePage = registry_.Code();
  auto set = [&](const std::string& name, const std::string& value, bool append = false) {
    for (auto& [variable, content] : block) {
      if (codePage.EqualNoCase(variable, name)) {
        content = append && !content.empty() ? content + ";" + value : value;
        return;
      }
    }
    block.emplace_back(name, value);
  };
  const std::string windows = WindowsFolder();
  set("SystemRoot", windows);
  set("windir", windows);
  set("SystemDrive", windows.substr(0, 2));
  if (auto computer = ReadText(HKEY_LOCAL_MACHINE, kComputerNameKey, "ComputerName"))
    set("COMPUTERNAME", *computer);
  if (auto user = RegistryUserName()) set("USERNAME", *user);
  if (IsNt()) {
    auto profiles = ReadText(HKEY_LOCAL_MACHINE, kProfileListKey, "ProfilesDirectory");
    auto allUsers = ReadText(HKEY_LOCAL_MACHINE, kProfileListKey, "AllUsersProfile");
    if (profiles && allUsers)
      set("ALLUSERSPROFILE", ExpandWith(*profiles, block) + "\\" + *allUsers);
    if (auto profile = ProfilePath()) {
      std::string expanded = ExpandWith(*profile, block);
      set("USERPROFILE", expanded);
      set("HOMEDRIVE", expanded.substr(0, 2));
      set("HOMEPATH", expanded.size() > 2 ? expanded.substr(2) : "\\");
    }
  }
  // The machine's variables, then the user's; a user's Path is added to the machine's.
  for (auto [root, key] : {std::pair{HKEY_LOCAL_MACHINE, kSystemEnvironmentKey},
                           std::pair{HKEY_CURRENT_USER, kUserEnvironmentKey}}) {
    HKEY opened;
    if (registry_.RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) continue;
    for (RegistryValue& value : ReadKeyValues(registry_, opened)) {
      if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) continue;
      std::string data = value.data.substr(0, value.data.find('\0'));
      if (value.type == REG_EXPAND_SZ) data = ExpandWith(data, block);
      set(value.name, data, root == HKEY_CURRENT_USER && codePage.EqualNoCase(value.name, "Path"));
    }
    registry_.RegCloseKey(opened);
  }
  if (shortPathForm_ && IsNt()) {
    OSVERSIONINFOA version;
    if (GetVersionExA(&version) && version.dwMajorVersion < 6) {
      for (auto& [variable, content] : block) {
        if (!codePage.EqualNoCase(variable, "TEMP") && !codePage.EqualNoCase(variable, "TMP"))
          continue;
        if (auto shortForm = shortPathForm_(content)) content = *shortForm;
      }
    }
  }
  // Not through FolderPath, which expands with this very block.
  auto appData = ReadText(HKEY_CURRENT_USER, kUserShellFoldersKey, "AppData");
  if (!appData) appData = ReadText(HKEY_CURRENT_USER, kShellFoldersKey, "AppData");
  if (appData && !appData->empty()) set("APPDATA", ExpandWith(*appData, block));
  return block;
}

std::optional<std::string> ImageSystem::Variable(const std::string& name) {
  for (const auto& [variable, value] : EnvironmentBlock()) {
    if (registry_.Code().EqualNoCase(variable, name)) return value;
  }
  return std::nullopt;
}

std::string ImageSystem::ExpandText(const std::string& text) {
  if (text.find('%') == std::string::npos) return text;
  return ExpandWith(text, EnvironmentBlock());
}

DWORD ImageSystem::GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
  if (!name) return Fail(ERROR_INVALID_PARAMETER, 0u);
  auto value = Variable(name);
  if (!value) return Fail(203u /* ERROR_ENVVAR_NOT_FOUND */, 0u);
  return CopyOutText(*value, buffer, size);
}

DWORD ImageSystem::ExpandEnvironmentStringsA(LPCSTR source, LPSTR destination, DWORD size) {
  if (!source) return Fail(ERROR_INVALID_PARAMETER, 0u);
  std::string expanded = ExpandText(source);
  DWORD needed = static_cast<DWORD>(expanded.size() + 1);
  if (destination && size >= needed) std::memcpy(destination, expanded.c_str(), needed);
  return needed;
}

std::optional<std::string> ImageSystem::FolderOf(int folder) {
  switch (folder) {
    case CSIDL_WINDOWS:
      return WindowsFolder();
    case CSIDL_SYSTEM:
      return SystemFolder();
    case CSIDL_PROGRAM_FILES:
      return ReadExpanded(HKEY_LOCAL_MACHINE, kWindowsVersionKey, "ProgramFilesDir");
    case CSIDL_PROGRAM_FILES_COMMON:
      return ReadExpanded(HKEY_LOCAL_MACHINE, kWindowsVersionKey, "CommonFilesDir");
    case CSIDL_PROFILE: {
      auto profile = ProfilePath();
      if (profile) *profile = ExpandText(*profile);
      return profile;
    }
    default:
      break;
  }
  for (const ShellFolder& shellFolder : kShellFolders) {
    if (shellFolder.id != folder) continue;
    HKEY root = shellFolder.common ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    auto path = ReadExpanded(root, kUserShellFoldersKey, shellFolder.valueName);
    if (!path || path->empty()) path = ReadText(root, kShellFoldersKey, shellFolder.valueName);
    return path && !path->empty() ? std::optional(WithoutTrailingBackslash(*path)) : std::nullopt;
  }
  return std::nullopt;
}

HRESULT ImageSystem::SHGetFolderPathA(HWND, int folder, HANDLE, DWORD, LPSTR path) {
  if (!path) return E_INVALIDARG;
  path[0] = '\0';
  int id = folder & 0xFF;
  bool known = id == CSIDL_WINDOWS || id == CSIDL_SYSTEM || id == CSIDL_PROGRAM_FILES ||
               id == CSIDL_PROGRAM_FILES_COMMON || id == CSIDL_PROFILE;
  for (const ShellFolder& shellFolder : kShellFolders) known = known || shellFolder.id == id;
  if (!known) return E_INVALIDARG;
  auto found = FolderOf(id);
  if (!found || found->size() >= MAX_PATH) return E_FAIL;
  std::memcpy(path, found->c_str(), found->size() + 1);
  return S_OK;
}

DWORD ImageSystem::FormatMessageA(DWORD flags, const void*, DWORD messageId, DWORD, LPSTR buffer,
                                  DWORD size, void*) {
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || !buffer) return Fail(ERROR_INVALID_PARAMETER, 0u);
  auto text = SystemMessageText(messageId);
  if (!text) return Fail(ERROR_MR_MID_NOT_FOUND, 0u);
  if (size <= text->size()) return Fail(ERROR_INSUFFICIENT_BUFFER, 0u);
  std::memcpy(buffer, text->c_str(), text->size() + 1);
  return static_cast<DWORD>(text->size());
}

}  // namespace platform
