#include "foundation/os_identity.h"

#include <gtest/gtest.h>

namespace foundation {
namespace {

using namespace platform;

OSVERSIONINFOA Version(DWORD platform, DWORD major, DWORD minor, DWORD build,
                       const char* servicePack = "") {
  OSVERSIONINFOA version;
  version.dwPlatformId = platform;
  version.dwMajorVersion = major;
  version.dwMinorVersion = minor;
  version.dwBuildNumber = build;
  std::snprintf(version.szCSDVersion, sizeof version.szCSDVersion, "%s", servicePack);
  return version;
}

std::string Identify(const OSVERSIONINFOA& version) {
  std::string servicePack = "untouched";
  std::string identifier = OsIdentifier(version, servicePack);
  return identifier + "/" + servicePack;
}

TEST(OsIdentity, IdentifiersFollowTheVersionRecord) {
  constexpr DWORD k9x = VER_PLATFORM_WIN32_WINDOWS, kNt = VER_PLATFORM_WIN32_NT;
  EXPECT_EQ(Identify(Version(VER_PLATFORM_WIN32s, 3, 10, 0)), "OS_WIN31/untouched");
  EXPECT_EQ(Identify(Version(k9x, 4, 0, 950)), "OS_WIN95A_RETAIL/untouched");
  EXPECT_EQ(Identify(Version(k9x, 4, 0, 1080)), "OS_WIN95A_RETAIL/untouched");
  EXPECT_EQ(Identify(Version(k9x, 4, 0, 1081)), "OS_WIN95B_OSR2/untouched");
  EXPECT_EQ(Identify(Version(k9x, 4, 10, 1998)), "OS_WIN98/untouched");
  // A minor version of 0 with the version in the build number's high half.
  EXPECT_EQ(Identify(Version(k9x, 4, 0, 0x045A0BB8)), "OS_MILLENIUM/untouched");
  EXPECT_EQ(Identify(Version(kNt, 4, 0, 1381, "Service Pack 6")), "OS_WINNT/untouched");
  EXPECT_EQ(Identify(Version(kNt, 5, 0, 2195)), "OS_WIN2000/untouched");
  EXPECT_EQ(Identify(Version(kNt, 5, 1, 2600, "Service Pack 2")), "Win XP/Service Pack 2");
  EXPECT_EQ(Identify(Version(kNt, 6, 0, 6002)), "OS_WINNT/untouched");
  EXPECT_EQ(Identify(Version(kNt, 6, 1, 7601, "Service Pack 1")), "Win XP/Service Pack 1");
  EXPECT_EQ(Identify(Version(VER_PLATFORM_WIN32_CE, 4, 0, 0)), "OS_WIN95A_RETAIL/untouched");
}

TEST(OsIdentity, NamesAndCodes) {
  constexpr DWORD k9x = VER_PLATFORM_WIN32_WINDOWS, kNt = VER_PLATFORM_WIN32_NT;
  auto name = [](const OSVERSIONINFOA& version) {
    OsVersionName result = OsVersionNameOf(version);
    return result.name + "/" + std::to_string(result.code);
  };
  EXPECT_EQ(name(Version(k9x, 4, 0, 950)), "Windows 95/1");
  EXPECT_EQ(name(Version(k9x, 4, 0, 1000)), "Windows 95 SP1/2");
  EXPECT_EQ(name(Version(k9x, 4, 0, 1111)), "Windows 95 OSR2/3");
  EXPECT_EQ(name(Version(k9x, 4, 10, 0x040A07CE)), "Windows 98/4");
  EXPECT_EQ(name(Version(k9x, 4, 10, 2100)), "Windows 98 SP1/5");
  EXPECT_EQ(name(Version(k9x, 4, 10, 2222)), "Windows 98 SE/6");
  EXPECT_EQ(name(Version(k9x, 4, 90, 3000)), "Windows ME/7");
  EXPECT_EQ(name(Version(kNt, 3, 51, 1057)), "Windows NT 3.51/101");
  EXPECT_EQ(name(Version(kNt, 4, 0, 1381)), "Windows NT 4/102");
  EXPECT_EQ(name(Version(kNt, 5, 0, 2195)), "Windows 2000/103");
  EXPECT_EQ(name(Version(kNt, 5, 1, 2600)), "Windows XP/104");
  EXPECT_EQ(name(Version(kNt, 5, 2, 3790)), "unknown Windows version/0");
  EXPECT_EQ(name(Version(VER_PLATFORM_WIN32_CE, 3, 0, 0)), "Windows CE/201");
}

}  // namespace
}  // namespace foundation
