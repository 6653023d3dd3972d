// The registry of the machine, with the calls, arguments and status codes of Win32. Keys
// and values are found without regard to case and keep the case they were created with;
// sub keys enumerate in case-insensitive name order, values in creation order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/win32_types.h"

namespace platform {

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;

inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(std::uintptr_t{0x80000000});
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t{0x80000001});
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002});
inline HKEY const HKEY_USERS = reinterpret_cast<HKEY>(std::uintptr_t{0x80000003});
inline HKEY const HKEY_PERFORMANCE_DATA = reinterpret_cast<HKEY>(std::uintptr_t{0x80000004});
inline HKEY const HKEY_CURRENT_CONFIG = reinterpret_cast<HKEY>(std::uintptr_t{0x80000005});
inline HKEY const HKEY_DYN_DATA = reinterpret_cast<HKEY>(std::uintptr_t{0x80000006});

// Access rights.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
constexpr REGSAM KEY_EXECUTE = 0x20019;
constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;
constexpr REGSAM WRITE_DAC = 0x00040000;
constexpr REGSAM WRITE_OWNER = 0x00080000;
constexpr REGSAM MAXIMUM_ALLOWED = 0x02000000;

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
constexpr DWORD REG_LINK = 6;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_RESOURCE_LIST = 8;
constexpr DWORD REG_FULL_RESOURCE_DESCRIPTOR = 9;
constexpr DWORD REG_RESOURCE_REQUIREMENTS_LIST = 10;
constexpr DWORD REG_QWORD = 11;

// RegCreateKeyExA dispositions and options.
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;

constexpr DWORD ERROR_KEY_DELETED = 1018;

class Registry {
 public:
  virtual ~Registry() = default;

  virtual LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired,
                             PHKEY result) = 0;
  virtual LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass,
                               DWORD options, REGSAM desired, const void* security, PHKEY result,
                               DWORD* disposition) = 0;
  virtual LONG RegCloseKey(HKEY key) = 0;
  virtual LONG RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD* reserved, DWORD* type,
                                BYTE* data, DWORD* dataSize) = 0;
  virtual LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type,
                              const BYTE* data, DWORD dataSize) = 0;
  virtual LONG RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD nameSize) = 0;
  virtual LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, DWORD* nameLength, DWORD* reserved,
                             LPSTR keyClass, DWORD* classLength, FILETIME* lastWriteTime) = 0;
  virtual LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, DWORD* valueNameLength,
                             DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize) = 0;
  virtual LONG RegQueryInfoKeyA(HKEY key, LPSTR keyClass, DWORD* classLength, DWORD* reserved,
                                DWORD* subKeys, DWORD* maxSubKeyLength, DWORD* maxClassLength,
                                DWORD* values, DWORD* maxValueNameLength, DWORD* maxValueLength,
                                DWORD* securityDescriptorSize, FILETIME* lastWriteTime) = 0;
  // Deletes a key that has no sub keys (ERROR_ACCESS_DENIED when it has some, as NT does).
  virtual LONG RegDeleteKeyA(HKEY key, LPCSTR subKey) = 0;
  virtual LONG RegDeleteValueA(HKEY key, LPCSTR valueName) = 0;
  // Deletes a key with everything below it.
  virtual LONG SHDeleteKeyA(HKEY key, LPCSTR subKey) = 0;

  // The code page key and value names are compared in.
  virtual const CodePage& Code() const = 0;
};

struct RegistryValue {
  std::string name;
  DWORD type = REG_NONE;
  std::string data;
};

// Every value of an open key in order, read with RegEnumValueA.
std::vector<RegistryValue> ReadKeyValues(Registry& registry, HKEY key);

// Splits "HKEY_LOCAL_MACHINE\a\b" into its root and the rest; the root name is compared
// exactly. Null when the text does not start with one of the seven root names.
HKEY RootKeyFromName(const std::string& name);
// True for the seven predefined root keys.
bool IsPredefinedKey(HKEY key);
const char* RootKeyName(HKEY key);

}  // namespace platform
