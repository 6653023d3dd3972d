#include "foundation/os_identity.h"

namespace foundation {

using namespace platform;

std::string OsIdentifier(const OSVERSIONINFOA& version, std::string& servicePack) {
  const DWORD major = version.dwMajorVersion;
  switch (version.dwPlatformId) {
    case VER_PLATFORM_WIN32s:
      return "OS_WIN31";
    case VER_PLATFORM_WIN32_WINDOWS: {
      DWORD minor = version.dwMinorVersion;
      DWORD fromBuild = (version.dwBuildNumber >> 16) & 0xFF;
      if (fromBuild > minor) minor = fromBuild;
      if (major > 4 || (major == 4 && minor >= 90)) return "OS_MILLENIUM";
      if (major == 4 && minor > 0) return "OS_WIN98";
      return (version.dwBuildNumber & 0xFFFF) <= 1080 ? "OS_WIN95A_RETAIL" : "OS_WIN95B_OSR2";
    }
    case VER_PLATFORM_WIN32_NT:
      if (major >= 5 && version.dwMinorVersion >= 1) {
        servicePack = version.szCSDVersion;
        return "Win XP";
      }
      if (major == 5) return "OS_WIN2000";
      return "OS_WINNT";
    default:
      return "OS_WIN95A_RETAIL";
  }
}

std::string OsIdentifier(System& system, std::string& servicePack) {
  OSVERSIONINFOA version;
  if (!system.GetVersionExA(&version)) return "OS_WIN95A_RETAIL";
  return OsIdentifier(version, servicePack);
}

OsVersionName OsVersionNameOf(const OSVERSIONINFOA& version) {
  const DWORD major = version.dwMajorVersion, minor = version.dwMinorVersion;
  const DWORD build = version.dwBuildNumber & 0xFFFF;
  if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && major == 4) {
    if (minor < 10 && build == 950) return {"Windows 95", 1};
    if (minor <= 9 && build >= 951 && build <= 1080) return {"Windows 95 SP1", 2};
    if (minor <= 9 && build > 1080) return {"Windows 95 OSR2", 3};
    if (minor == 10 && build == 1998) return {"Windows 98", 4};
    if (minor == 10 && build >= 1999 && build <= 2182) return {"Windows 98 SP1", 5};
    if (minor == 10 && build > 2182) return {"Windows 98 SE", 6};
    if (minor == 90) return {"Windows ME", 7};
  } else if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
    if (major == 3 && minor == 51) return {"Windows NT 3.51", 101};
    if (major == 4 && minor == 0) return {"Windows NT 4", 102};
    if (major == 5 && minor == 0) return {"Windows 2000", 103};
    if (major == 5 && minor == 1) return {"Windows XP", 104};
  } else if (version.dwPlatformId == VER_PLATFORM_WIN32_CE) {
    return {"Windows CE", 201};
  }
  return {};
}

bool GetOsVersionName(System& system, OsVersionName& result) {
  OSVERSIONINFOA version;
  result = OsVersionName{};
  if (!system.GetVersionExA(&version)) return false;
  result = OsVersionNameOf(version);
  return true;
}

}  // namespace foundation
