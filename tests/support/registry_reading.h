// Reading a registry the way several tests check it: a value's text, or what went wrong, and a
// key's sub key names in enumeration order.
#pragma once

#include <string>
#include <vector>

#include "platform/registry.h"

namespace testing_support {

// The text of a value of an open key, or "<error N>".
inline std::string RegistryText(platform::Registry& registry, platform::HKEY key,
                                const char* name) {
  char data[256];
  platform::DWORD size = sizeof data;
  const platform::LONG status = registry.RegQueryValueExA(
      key, name, nullptr, nullptr, reinterpret_cast<platform::BYTE*>(data), &size);
  return status == platform::ERROR_SUCCESS ? std::string(data)
                                           : "<error " + std::to_string(status) + ">";
}

// The same below a root, or "<no key>" when the key cannot be opened.
inline std::string RegistryText(platform::Registry& registry, platform::HKEY root, const char* path,
                                const char* name) {
  platform::HKEY key;
  if (registry.RegOpenKeyExA(root, path, 0, platform::KEY_READ, &key) != platform::ERROR_SUCCESS)
    return "<no key>";
  std::string text = RegistryText(registry, key, name);
  registry.RegCloseKey(key);
  return text;
}

// The sub key names as RegEnumKeyA gives them; none when the key cannot be opened.
inline std::vector<std::string> SubKeyNames(platform::Registry& registry, platform::HKEY root,
                                            const char* path) {
  platform::HKEY key;
  std::vector<std::string> names;
  if (registry.RegOpenKeyExA(root, path, 0, platform::KEY_READ, &key) != platform::ERROR_SUCCESS)
    return names;
  char name[256];
  for (platform::DWORD index = 0;
       registry.RegEnumKeyA(key, index, name, sizeof name) == platform::ERROR_SUCCESS; ++index)
    names.push_back(name);
  registry.RegCloseKey(key);
  return names;
}

}  // namespace testing_support
