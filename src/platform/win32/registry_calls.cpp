#include "platform/win32/registry_calls.h"

#include "platform/win32/windows_door.h"

// After <windows.h>: shlwapi's declarations need its types.
#include <shlwapi.h>

namespace win32 {

namespace {

static_assert(sizeof(FILETIME) == kFileTimeSize);

HKEY Key(void* key) {
  return static_cast<HKEY>(key);
}

// A DWORD the system writes, standing in for the caller's std::uint32_t (null stays null):
// it starts with the caller's value and goes back to the caller when the call is over.
class Dword {
 public:
  explicit Dword(std::uint32_t* target) : target_(target), value_(target ? *target : 0) {}
  ~Dword() {
    if (target_) *target_ = static_cast<std::uint32_t>(value_);
  }
  Dword(const Dword&) = delete;
  Dword& operator=(const Dword&) = delete;
  DWORD* get() { return target_ ? &value_ : nullptr; }

 private:
  std::uint32_t* target_;
  DWORD value_;
};

}  // namespace

long OpenKey(void* key, const char* subKey, std::uint32_t options, std::uint32_t desired,
             void** result) {
  HKEY opened = nullptr;
  const LONG status = ::RegOpenKeyExA(Key(key), subKey, options, desired, &opened);
  *result = status == ERROR_SUCCESS ? opened : nullptr;
  return status;
}

long CreateKey(void* key, const char* subKey, std::uint32_t reserved, char* keyClass,
               std::uint32_t options, std::uint32_t desired, const void* security, void** result,
               std::uint32_t* disposition) {
  HKEY created = nullptr;
  Dword made(disposition);
  // The caller's security attributes are the system's own structure, passed on unread.
  auto* attributes = static_cast<SECURITY_ATTRIBUTES*>(const_cast<void*>(security));
  const LONG status = ::RegCreateKeyExA(Key(key), subKey, reserved, keyClass, options, desired,
                                        attributes, &created, made.get());
  *result = status == ERROR_SUCCESS ? created : nullptr;
  return status;
}

long CloseKey(void* key) {
  return ::RegCloseKey(Key(key));
}

long QueryValue(void* key, const char* valueName, std::uint32_t* type, unsigned char* data,
                std::uint32_t* dataSize) {
  Dword kind(type), size(dataSize);
  return ::RegQueryValueExA(Key(key), valueName, nullptr, kind.get(), data, size.get());
}

long SetValue(void* key, const char* valueName, std::uint32_t reserved, std::uint32_t type,
              const unsigned char* data, std::uint32_t dataSize) {
  return ::RegSetValueExA(Key(key), valueName, reserved, type, data, dataSize);
}

long EnumKey(void* key, std::uint32_t index, char* name, std::uint32_t nameSize) {
  return ::RegEnumKeyA(Key(key), index, name, nameSize);
}

long EnumKeyEx(void* key, std::uint32_t index, char* name, std::uint32_t* nameLength,
               char* keyClass, std::uint32_t* classLength, void* lastWriteTime) {
  Dword nameSize(nameLength), classSize(classLength);
  return ::RegEnumKeyExA(Key(key), index, name, nameSize.get(), nullptr, keyClass, classSize.get(),
                         static_cast<FILETIME*>(lastWriteTime));
}

long EnumValue(void* key, std::uint32_t index, char* valueName, std::uint32_t* valueNameLength,
               std::uint32_t* type, unsigned char* data, std::uint32_t* dataSize) {
  Dword nameSize(valueNameLength), kind(type), size(dataSize);
  return ::RegEnumValueA(Key(key), index, valueName, nameSize.get(), nullptr, kind.get(), data,
                         size.get());
}

long QueryKeyInfo(void* key, char* keyClass, std::uint32_t* classLength, std::uint32_t* subKeys,
                  std::uint32_t* maxSubKeyLength, std::uint32_t* maxClassLength,
                  std::uint32_t* values, std::uint32_t* maxValueNameLength,
                  std::uint32_t* maxValueLength, std::uint32_t* securityDescriptorSize,
                  void* lastWriteTime) {
  Dword classSize(classLength), keys(subKeys), longestKey(maxSubKeyLength),
      longestClass(maxClassLength), valueCount(values), longestName(maxValueNameLength),
      longestValue(maxValueLength), security(securityDescriptorSize);
  return ::RegQueryInfoKeyA(Key(key), keyClass, classSize.get(), nullptr, keys.get(),
                            longestKey.get(), longestClass.get(), valueCount.get(),
                            longestName.get(), longestValue.get(), security.get(),
                            static_cast<FILETIME*>(lastWriteTime));
}

long DeleteKey(void* key, const char* subKey) {
  return ::RegDeleteKeyA(Key(key), subKey);
}

long DeleteValue(void* key, const char* valueName) {
  return ::RegDeleteValueA(Key(key), valueName);
}

long DeleteKeyTree(void* key, const char* subKey) {
  return static_cast<long>(::SHDeleteKeyA(Key(key), subKey));
}

bool KeyDeleteTakesTree() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  return ::GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

}  // namespace win32
