// Which Windows the machine runs, as the program names it.
#pragma once

#include <string>

#include "platform/system.h"

namespace foundation {

// One of "OS_WIN31", "OS_WIN95A_RETAIL", "OS_WIN95B_OSR2", "OS_WIN98", "OS_MILLENIUM",
// "OS_WINNT", "OS_WIN2000", "Win XP"; on "Win XP" the service-pack text goes to servicePack.
std::string OsIdentifier(platform::System& system, std::string& servicePack);
std::string OsIdentifier(const platform::OSVERSIONINFOA& version, std::string& servicePack);

struct OsVersionName {
  std::string name = "unknown Windows version";
  int code = 0;
};

// The display name and its code; false only when the system does not report its version.
bool GetOsVersionName(platform::System& system, OsVersionName& result);
OsVersionName OsVersionNameOf(const platform::OSVERSIONINFOA& version);

}  // namespace foundation
