#include "removal/browser_repair.h"

#include <cstdlib>
#include <vector>

#include "removal/removal_engine.h"

namespace removal {
namespace {

using platform::DWORD;
using platform::HKEY;

constexpr DWORD kPageBufferSize = 1024;
constexpr const char* kStartPageMacro = "%StartPage%";
constexpr const char* kSearchPageMacro = "%SearchPage%";
// The root flags of a changed value: the second admits HKEY_LOCAL_MACHINE, the fourth
// HKEY_CURRENT_USER.
constexpr int kMachineFlag = 1, kUserFlag = 3;

}  // namespace

std::optional<std::string> ReadBrowserPage(platform::Registry& registry, HKEY root,
                                           const char* name) {
  HKEY key = nullptr;
  if (registry.RegOpenKeyExA(root, kBrowserMainKey, 0, platform::KEY_QUERY_VALUE, &key) !=
      platform::ERROR_SUCCESS)
    return std::nullopt;
  char data[kPageBufferSize + 1] = {};
  DWORD size = kPageBufferSize;
  const auto status = registry.RegQueryValueExA(key, name, nullptr, nullptr,
                                                reinterpret_cast<platform::BYTE*>(data), &size);
  registry.RegCloseKey(key);
  if (status != platform::ERROR_SUCCESS) return std::nullopt;
  return std::string(data);
}

void EnforceBrowserPages(platform::Machine& machine, const BrowserPages& pages) {
  platform::Registry& registry = machine.registry();
  const platform::CodePage& code = machine.Code();
  for (HKEY root : {platform::HKEY_CURRENT_USER, platform::HKEY_LOCAL_MACHINE}) {
    for (const char* name : {kStartPageValue, kSearchPageValue}) {
      const std::string& setting = name == kStartPageValue ? pages.homepage : pages.searchpage;
      const auto current = ReadBrowserPage(registry, root, name);
      // Compared without regard to case, written as the user stored it: an address may
      // depend on its case. A value that is not there is not created.
      if (!current || code.EqualNoCase(*current, setting)) continue;
      HKEY key = nullptr;
      if (registry.RegOpenKeyExA(root, kBrowserMainKey, 0, platform::KEY_ALL_ACCESS, &key) !=
          platform::ERROR_SUCCESS)
        continue;
      registry.RegSetValueExA(key, name, 0, platform::REG_SZ,
                              reinterpret_cast<const platform::BYTE*>(setting.c_str()),
                              static_cast<DWORD>(setting.size() + 1));
      registry.RegCloseKey(key);
    }
  }
}

bool RepairChangedValue(platform::Machine& machine, const definitions::ChangedValueTrace& trace,
                        const BrowserPages& pages,
                        const std::function<void(const std::string&)>& logLine) {
  bool written = true;
  std::string data = trace.newValue;
  if (data == kStartPageMacro) {
    data = pages.homepage;
  } else if (data == kSearchPageMacro) {
    data = pages.searchpage;
  }
  platform::Registry& registry = machine.registry();
  for (auto [root, flag] : {std::pair{platform::HKEY_CURRENT_USER, kUserFlag},
                            std::pair{platform::HKEY_LOCAL_MACHINE, kMachineFlag}}) {
    if (!trace.flags[flag]) continue;
    HKEY key = nullptr;
    if (registry.RegOpenKeyExA(root, trace.keyPath.c_str(), 0, platform::KEY_QUERY_VALUE, &key) !=
        platform::ERROR_SUCCESS)
      continue;
    DWORD type = 0;
    const bool exists = registry.RegQueryValueExA(key, trace.valueName.c_str(), nullptr, &type,
                                                  nullptr, nullptr) == platform::ERROR_SUCCESS;
    registry.RegCloseKey(key);
    if (!exists) continue;  // a value is never created
    platform::LONG status =
        registry.RegOpenKeyExA(root, trace.keyPath.c_str(), 0, platform::KEY_SET_VALUE, &key);
    if (status == platform::ERROR_SUCCESS) {
      if (type == platform::REG_DWORD) {
        const auto number = static_cast<std::uint32_t>(std::atol(data.c_str()));
        platform::BYTE bytes[4] = {
            static_cast<platform::BYTE>(number), static_cast<platform::BYTE>(number >> 8),
            static_cast<platform::BYTE>(number >> 16), static_cast<platform::BYTE>(number >> 24)};
        status = registry.RegSetValueExA(key, trace.valueName.c_str(), 0, type, bytes, 4);
      } else {
        status = registry.RegSetValueExA(key, trace.valueName.c_str(), 0, type,
                                         reinterpret_cast<const platform::BYTE*>(data.data()),
                                         static_cast<DWORD>(data.size()));
      }
      registry.RegCloseKey(key);
    }
    if (status == platform::ERROR_SUCCESS) {
      logLine("<REGVALUE RES = \"Register Values Successfully Changed\"/>");
    } else {
      logLine("<REGVALUE RES = \"Register Values NOT Changed " +
              SystemMessage(machine, static_cast<DWORD>(status)) + "\"/>");
      written = false;
    }
  }
  return written;
}

}  // namespace removal
