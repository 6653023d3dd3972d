#include "platform/win32/win32_registry.h"

#include "platform/win32/code_page_calls.h"
#include "platform/win32/registry_calls.h"

namespace platform {

namespace {

static_assert(sizeof(FILETIME) == win32::kFileTimeSize);

void* SystemKey(HKEY key) {
  return reinterpret_cast<void*>(key);
}

HKEY PlatformKey(void* key) {
  return reinterpret_cast<HKEY>(key);
}

// The longest key name any system allows, with its terminating zero.
constexpr DWORD kKeyNameRoom = 256;

}  // namespace

Win32Registry::Win32Registry() : codePage_(win32::AnsiCodePage()) {}

LONG Win32Registry::RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired,
                                  PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  void* opened = nullptr;
  const LONG status = win32::OpenKey(SystemKey(key), subKey, options, desired, &opened);
  *result = PlatformKey(opened);
  return status;
}

LONG Win32Registry::RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass,
                                    DWORD options, REGSAM desired, const void* security,
                                    PHKEY result, DWORD* disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  void* created = nullptr;
  const LONG status = win32::CreateKey(SystemKey(key), subKey, reserved, keyClass, options, desired,
                                       security, &created, disposition);
  *result = PlatformKey(created);
  return status;
}

LONG Win32Registry::RegCloseKey(HKEY key) {
  return win32::CloseKey(SystemKey(key));
}

LONG Win32Registry::RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD*, DWORD* type, BYTE* data,
                                     DWORD* dataSize) {
  return win32::QueryValue(SystemKey(key), valueName, type, data, dataSize);
}

LONG Win32Registry::RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type,
                                   const BYTE* data, DWORD dataSize) {
  return win32::SetValue(SystemKey(key), valueName, reserved, type, data, dataSize);
}

LONG Win32Registry::RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD nameSize) {
  return win32::EnumKey(SystemKey(key), index, name, nameSize);
}

LONG Win32Registry::RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, DWORD* nameLength, DWORD*,
                                  LPSTR keyClass, DWORD* classLength, FILETIME* lastWriteTime) {
  return win32::EnumKeyEx(SystemKey(key), index, name, nameLength, keyClass, classLength,
                          lastWriteTime);
}

LONG Win32Registry::RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, DWORD* valueNameLength,
                                  DWORD*, DWORD* type, BYTE* data, DWORD* dataSize) {
  return win32::EnumValue(SystemKey(key), index, valueName, valueNameLength, type, data, dataSize);
}

LONG Win32Registry::RegQueryInfoKeyA(HKEY key, LPSTR keyClass, DWORD* classLength, DWORD*,
                                     DWORD* subKeys, DWORD* maxSubKeyLength, DWORD* maxClassLength,
                                     DWORD* values, DWORD* maxValueNameLength,
                                     DWORD* maxValueLength, DWORD* securityDescriptorSize,
                                     FILETIME* lastWriteTime) {
  // Windows 9x leaves these two alone; they read as none rather than as what was there.
  if (securityDescriptorSize) *securityDescriptorSize = 0;
  if (lastWriteTime) *lastWriteTime = FILETIME{};
  return win32::QueryKeyInfo(SystemKey(key), keyClass, classLength, subKeys, maxSubKeyLength,
                             maxClassLength, values, maxValueNameLength, maxValueLength,
                             securityDescriptorSize, lastWriteTime);
}

LONG Win32Registry::RegDeleteKeyA(HKEY key, LPCSTR subKey) {
  // Look for a first sub key before the system deletes anything.
  void* opened = nullptr;
  const LONG status = win32::OpenKey(SystemKey(key), subKey, 0, KEY_ENUMERATE_SUB_KEYS, &opened);
  if (status != ERROR_SUCCESS) {
    // A key that may not be listed may still be deletable on NT, whose own call refuses a
    // key with sub keys; Windows 9x keeps no access rights, so the look fails there for
    // other reasons only.
    if (status != ERROR_ACCESS_DENIED || win32::KeyDeleteTakesTree()) return status;
    return win32::DeleteKey(SystemKey(key), subKey);
  }
  char name[kKeyNameRoom];
  const LONG first = win32::EnumKey(opened, 0, name, sizeof name);
  win32::CloseKey(opened);
  if (first == ERROR_SUCCESS || first == ERROR_MORE_DATA) return ERROR_ACCESS_DENIED;
  if (first != ERROR_NO_MORE_ITEMS) return first;
  return win32::DeleteKey(SystemKey(key), subKey);
}

LONG Win32Registry::RegDeleteValueA(HKEY key, LPCSTR valueName) {
  return win32::DeleteValue(SystemKey(key), valueName);
}

LONG Win32Registry::SHDeleteKeyA(HKEY key, LPCSTR subKey) {
  return win32::DeleteKeyTree(SystemKey(key), subKey);
}

}  // namespace platform
