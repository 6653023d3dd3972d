#include "app/user_settings.h"

#include <cstring>

#include "app/branding_settings.h"

namespace app {

using namespace platform;

namespace {

constexpr REGSAM kReadWrite = 0x2001F;
constexpr DWORD kLongestText = 1024;  // bytes read, terminating zero included

std::string KeyPath(const std::string& keyName) {
  return "SOFTWARE\\" + keyName;
}

// Closes a key when the operation is done.
struct OpenedKey {
  Registry& registry;
  HKEY key = nullptr;
  ~OpenedKey() {
    if (key) registry.RegCloseKey(key);
  }
};

}  // namespace

DWORD UserSettings::ReadNumber(const std::string& keyName, const char* valueName,
                               DWORD defaultValue) {
  OpenedKey opened{registry_};
  if (registry_.RegOpenKeyExA(HKEY_LOCAL_MACHINE, KeyPath(keyName).c_str(), 0, kReadWrite,
                              &opened.key) != ERROR_SUCCESS)
    return defaultValue;
  DWORD type = 0, value = 0, size = sizeof value;
  if (registry_.RegQueryValueExA(opened.key, valueName, nullptr, &type,
                                 reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof value)
    return defaultValue;
  return value;
}

int UserSettings::WriteNumber(const std::string& keyName, const char* valueName, DWORD value) {
  OpenedKey opened{registry_};
  if (registry_.RegOpenKeyExA(HKEY_LOCAL_MACHINE, KeyPath(keyName).c_str(), 0, kReadWrite,
                              &opened.key) != ERROR_SUCCESS)
    return 0;
  return registry_.RegSetValueExA(opened.key, valueName, 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&value),
                                  sizeof value) == ERROR_SUCCESS
             ? 1
             : 0;
}

std::string UserSettings::ReadText(const std::string& keyName, const char* valueName) {
  OpenedKey opened{registry_};
  if (registry_.RegCreateKeyExA(HKEY_LOCAL_MACHINE, KeyPath(keyName).c_str(), 0, nullptr, 0,
                                KEY_READ, nullptr, &opened.key, nullptr) != ERROR_SUCCESS)
    return {};
  char buffer[kLongestText];
  DWORD size = sizeof buffer, type = 0;
  if (registry_.RegQueryValueExA(opened.key, valueName, nullptr, &type,
                                 reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
    return {};  // missing, or too long for the buffer
  std::string text(buffer, size);
  text.resize(std::strlen(text.c_str()));
  // A text needs its terminating zero within the buffer: 1024 characters do not fit.
  return text.size() < kLongestText ? text : std::string();
}

int UserSettings::WriteText(const std::string& keyName, const char* valueName,
                            const std::string& text) {
  OpenedKey opened{registry_};
  if (registry_.RegCreateKeyExA(HKEY_LOCAL_MACHINE, KeyPath(keyName).c_str(), 0, nullptr, 0,
                                KEY_WRITE, nullptr, &opened.key, nullptr) == ERROR_SUCCESS)
    registry_.RegSetValueExA(opened.key, valueName, 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(text.data()),
                             static_cast<DWORD>(text.size()));
  return 0;
}

void UserSettings::SetWindowsStartUp(bool on, const BrandingSettings& branding,
                                     const std::string& programFolder) {
  OpenedKey run{registry_};
  if (on) {
    if (registry_.RegCreateKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                  &run.key, nullptr) != ERROR_SUCCESS)
      return;
    const std::string command = programFolder + branding.EXENAME + kStartUpArgument;
    registry_.RegSetValueExA(run.key, branding.APPNAME.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(command.data()),
                             static_cast<DWORD>(command.size()));
    return;
  }
  if (registry_.RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_ALL_ACCESS, &run.key) !=
      ERROR_SUCCESS)
    return;
  for (const std::string* name : {&branding.REGISTRYNAME, &branding.APPNAME}) {
    registry_.RegSetValueExA(run.key, name->c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(""),
                             0);
    registry_.RegDeleteValueA(run.key, name->c_str());
  }
}

}  // namespace app
