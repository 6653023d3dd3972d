// Setting the browser's start and search pages back to the user's choice after a removal,
// and writing a hijacked registry value back to what its definition prescribes.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "definitions/spyware_entry.h"
#include "platform/machine.h"

namespace removal {

inline constexpr const char* kBrowserMainKey = "Software\\Microsoft\\Internet Explorer\\Main";
inline constexpr const char* kStartPageValue = "Start Page";
inline constexpr const char* kSearchPageValue = "Search Page";

struct BrowserPages {
  std::string homepage;    // the Homepage setting
  std::string searchpage;  // the Searchpage setting
};

// The browser's page of that name under root; nothing when the key or value is missing.
std::optional<std::string> ReadBrowserPage(platform::Registry& registry, platform::HKEY root,
                                           const char* name);

// Where "Start Page" or "Search Page" exists under HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE
// and differs from the setting other than in letter case, it becomes the setting as the user
// stored it. Missing values are not created; nothing is logged.
void EnforceBrowserPages(platform::Machine& machine, const BrowserPages& pages);

// Writes the definition's new value ("%StartPage%" and "%SearchPage%" as the whole text
// stand for the settings) under each root its flags admit and where the value exists, with
// the value's own type; a REG_DWORD takes the number of the text. One log line per write.
// False when a write was refused.
bool RepairChangedValue(platform::Machine& machine, const definitions::ChangedValueTrace& trace,
                        const BrowserPages& pages,
                        const std::function<void(const std::string&)>& logLine);

}  // namespace removal
