// The registry of the machine, with the calls, arguments and status codes of Win32. Keys
// and values are found without regard to case and keep the case they were created with;
// sub keys enumerate in case-insensitive name order, values in creation order.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/registry_store.h"
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
  // Opens the registry database of an image (creating it when missing). Null, with a
  // message in error, when it cannot be opened.
  static std::unique_ptr<Registry> Open(const std::string& databaseFile, unsigned codePage,
                                        std::string* error = nullptr);

  LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result);
  LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                       REGSAM desired, const void* security, PHKEY result, DWORD* disposition);
  LONG RegCloseKey(HKEY key);
  LONG RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD* reserved, DWORD* type, BYTE* data,
                        DWORD* dataSize);
  LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                      DWORD dataSize);
  LONG RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD nameSize);
  LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, DWORD* nameLength, DWORD* reserved,
                     LPSTR keyClass, DWORD* classLength, FILETIME* lastWriteTime);
  LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, DWORD* valueNameLength,
                     DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize);
  LONG RegQueryInfoKeyA(HKEY key, LPSTR keyClass, DWORD* classLength, DWORD* reserved,
                        DWORD* subKeys, DWORD* maxSubKeyLength, DWORD* maxClassLength,
                        DWORD* values, DWORD* maxValueNameLength, DWORD* maxValueLength,
                        DWORD* securityDescriptorSize, FILETIME* lastWriteTime);
  // Deletes a key that has no sub keys (ERROR_ACCESS_DENIED when it has some).
  LONG RegDeleteKeyA(HKEY key, LPCSTR subKey);
  LONG RegDeleteValueA(HKEY key, LPCSTR valueName);
  // Deletes a key with everything below it.
  LONG SHDeleteKeyA(HKEY key, LPCSTR subKey);

  // Makes a key refuse every write right while read access still works (or lifts that).
  LONG SetKeyRestriction(HKEY key, LPCSTR subKey, bool restricted);

  // Runs several changes as one: either all of them are stored or none.
  class Transaction {
   public:
    explicit Transaction(Registry& registry);
    ~Transaction();  // rolls back unless committed
    bool Started() const { return started_; }
    bool Commit();

   private:
    Registry& registry_;
    bool started_ = false;
    bool done_ = false;
  };

  // Several reads of this thread as one: they see one state of the registry, and the other
  // threads of the process wait for the registry until it ends.
  class Snapshot {
   public:
    explicit Snapshot(Registry& registry) : snapshot_(*registry.store_) {}

   private:
    RegistryStore::ReadSnapshot snapshot_;
  };

  const CodePage& Code() const { return codePage_; }

  // The name of the current user's key under HKEY_USERS; found again after changes to the
  // identity keys with RefreshCurrentUser.
  std::string CurrentUserKeyName();
  void RefreshCurrentUser();

 private:
  struct OpenKey;
  explicit Registry(std::unique_ptr<RegistryStore> store);

  std::shared_ptr<OpenKey> Resolve(HKEY key, LONG& status);
  std::vector<KeyId> RootLayers(HKEY key, bool& empty, KeyId& missingBase,
                                std::vector<std::string>& missingPath);
  std::optional<KeyRow> ChildOf(KeyId parent, const std::string& name);
  // The stored name a key name stands for: CurrentControlSet is the control set in use.
  std::string ActualName(KeyId parent, const std::string& name);
  LONG Walk(const OpenKey& from, LPCSTR subKey, bool create, OpenKey& target, bool& created);
  HKEY AddKeyHandle(std::shared_ptr<OpenKey> key);
  // The key that a delete names, when it may be deleted.
  LONG FindDeletable(HKEY key, LPCSTR subKey, KeyId& found);
  std::string Lower(const std::string& text) const { return codePage_.Lower(text); }
  std::optional<KeyId> SystemKey();

  std::unique_ptr<RegistryStore> store_;
  CodePage codePage_;
  std::mutex userLock_;  // guards currentUser_
  std::optional<std::string> currentUser_;
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
const char* RootKeyName(HKEY key);

}  // namespace platform
