#include "platform/registry.h"

namespace platform {

namespace {

constexpr const char* kRootNames[] = {
    "HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};

}  // namespace

bool IsPredefinedKey(HKEY key) {
  auto value = reinterpret_cast<std::uintptr_t>(key);
  return value >= 0x80000000 && value <= 0x80000006;
}

std::vector<RegistryValue> ReadKeyValues(Registry& registry, HKEY key) {
  std::vector<RegistryValue> values;
  for (DWORD index = 0;; ++index) {
    char name[16384];
    DWORD nameLength = sizeof name, type = 0, size = 0;
    if (registry.RegEnumValueA(key, index, name, &nameLength, nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS)
      break;
    std::string data(size, '\0');
    nameLength = sizeof name;
    if (registry.RegEnumValueA(key, index, name, &nameLength, nullptr, &type,
                               reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
      break;
    data.resize(size);
    values.push_back({name, type, std::move(data)});
  }
  return values;
}

HKEY RootKeyFromName(const std::string& name) {
  for (std::uintptr_t i = 0; i < 7; ++i) {
    if (name == kRootNames[i]) return reinterpret_cast<HKEY>(0x80000000 + i);
  }
  return nullptr;
}

const char* RootKeyName(HKEY key) {
  if (!IsPredefinedKey(key)) return nullptr;
  return kRootNames[reinterpret_cast<std::uintptr_t>(key) - 0x80000000];
}

}  // namespace platform
