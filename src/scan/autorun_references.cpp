#include "scan/autorun_references.h"

#include "scan/startup_inventory.h"

namespace scan {
namespace {

using platform::HKEY;

constexpr const char* kWinlogonNotifyKey =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify";
constexpr platform::DWORD kDllNameBufferSize = 16383;
constexpr platform::DWORD kSubKeyNameSize = 299;

std::string Extension(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

}  // namespace

std::vector<std::string> AutorunLocationList() {
  return {
      "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx",
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx",
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\Setup",
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\Setup",
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices",
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServices",
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce",
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce",
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run",
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run",
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows\\",
  };
}

bool RemoveAutorunReferences(platform::Machine& machine, const std::string& path, bool remove,
                             const std::function<void(const std::string&)>& logLine) {
  const platform::CodePage& code = machine.Code();
  const std::string lowerPath = code.Lower(path);
  if (lowerPath.find_first_not_of(' ') == std::string::npos) return false;
  const std::string fileName = lowerPath.substr(lowerPath.rfind('\\') + 1);
  std::string shortPath;  // made when first needed
  bool matched = false;
  std::vector<std::string> lines;
  for (const std::string& location : AutorunLocationList()) {
    ListRegistryValues(machine, location, "", lines);
    for (const std::string& line : lines) {
      const std::string lower = code.Lower(line);
      if (lower.find(fileName) == std::string::npos) continue;
      if (lower.find(lowerPath) == std::string::npos) {
        if (shortPath.empty()) {
          char buffer[1000];
          const platform::DWORD length =
              machine.files().GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
          shortPath = length == 0 || length >= sizeof buffer ? "\x01" : code.Lower(buffer);
        }
        if (lower.find(shortPath) == std::string::npos) continue;
      }
      matched = true;
      if (!remove) continue;
      const std::size_t cut = location.find('\\');
      const HKEY root = platform::RootKeyFromName(location.substr(0, cut));
      const std::string valueName = QuotedText(line);
      HKEY key = nullptr;
      platform::Registry& registry = machine.registry();
      if (registry.RegOpenKeyExA(root, location.substr(cut + 1).c_str(), 0,
                                 platform::KEY_ALL_ACCESS, &key) != platform::ERROR_SUCCESS)
        continue;
      if (registry.RegDeleteValueA(key, valueName.c_str()) == platform::ERROR_SUCCESS && logLine)
        logLine("<REGVALUE NAME = \"" + location + "\" VALUE = \"" + valueName +
                "\" RES = \"Removed from Registry\"/>");
      registry.RegCloseKey(key);
    }
  }
  RemoveWinlogonNotify(machine, path);
  return matched;
}

void RemoveWinlogonNotify(platform::Machine& machine, const std::string& path) {
  const platform::CodePage& code = machine.Code();
  if (!code.EqualNoCase(Extension(path), "dll")) return;
  platform::Registry& registry = machine.registry();
  HKEY notify = nullptr;
  if (registry.RegOpenKeyExA(platform::HKEY_LOCAL_MACHINE, kWinlogonNotifyKey, 0,
                             platform::KEY_READ, &notify) != platform::ERROR_SUCCESS)
    return;
  std::vector<std::string> doomed;
  for (platform::DWORD index = 0;; ++index) {
    char name[kSubKeyNameSize + 1];
    platform::DWORD length = sizeof name;
    if (registry.RegEnumKeyExA(notify, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        platform::ERROR_SUCCESS)
      break;
    HKEY package = nullptr;
    if (registry.RegOpenKeyExA(notify, name, 0, platform::KEY_READ, &package) !=
        platform::ERROR_SUCCESS)
      continue;
    std::string dllName(kDllNameBufferSize + 1, '\0');
    platform::DWORD size = kDllNameBufferSize;
    if (registry.RegQueryValueExA(package, "DllName", nullptr, nullptr,
                                  reinterpret_cast<platform::BYTE*>(dllName.data()),
                                  &size) == platform::ERROR_SUCCESS &&
        code.EqualNoCase(dllName.c_str(), path))
      doomed.push_back(std::string(kWinlogonNotifyKey) + "\\" + name);
    registry.RegCloseKey(package);
  }
  registry.RegCloseKey(notify);
  for (const std::string& key : doomed) DeleteKeyTree(registry, platform::HKEY_LOCAL_MACHINE, key);
}

platform::LONG DeleteKeyTree(platform::Registry& registry, HKEY root, const std::string& keyPath) {
  HKEY key = nullptr;
  platform::LONG status =
      registry.RegOpenKeyExA(root, keyPath.c_str(), 0, platform::KEY_ALL_ACCESS, &key);
  if (status != platform::ERROR_SUCCESS) return status;
  for (;;) {
    char name[kSubKeyNameSize + 1];
    platform::DWORD length = sizeof name;
    status = registry.RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status != platform::ERROR_SUCCESS) break;
    status = DeleteKeyTree(registry, root, keyPath + "\\" + name);
    if (status != platform::ERROR_SUCCESS) break;
  }
  registry.RegCloseKey(key);
  if (status != platform::ERROR_NO_MORE_ITEMS && status != platform::ERROR_BADKEY) return status;
  return registry.RegDeleteKeyA(root, keyPath.c_str());
}

}  // namespace scan
