// System identity, environment strings and shell folders read from an image's registry.
#include "platform/system.h"

#include <gtest/gtest.h>

#include <cstring>

#include "support/temp_image.h"

namespace platform {
namespace {

using testing_support::TempImage;

void SetText(Registry& registry, HKEY root, const char* path, const char* name,
             const std::string& text, DWORD type = REG_SZ) {
  HKEY key;
  ASSERT_EQ(
      registry.RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
      ERROR_SUCCESS);
  ASSERT_EQ(registry.RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                                    static_cast<DWORD>(text.size() + 1)),
            ERROR_SUCCESS);
  registry.RegCloseKey(key);
}

TEST(System, VersionComesFromTheRegistryOrIsRefused) {
  TempImage image;
  System& system = image.Machine().system();
  OSVERSIONINFOA version;
  EXPECT_FALSE(system.GetVersionExA(&version));  // an image without a system identity

  ImageRegistry& registry = image.Machine().registry();
  SetText(registry, HKEY_LOCAL_MACHINE, kWindowsVersionKey, "VersionNumber", "4.10.2222");
  SetText(registry, HKEY_LOCAL_MACHINE, kWindowsVersionKey, "SubVersionNumber", " A ");
  ASSERT_TRUE(system.GetVersionExA(&version));
  EXPECT_EQ(version.dwPlatformId, VER_PLATFORM_WIN32_WINDOWS);
  EXPECT_EQ(version.dwMajorVersion, 4u);
  EXPECT_EQ(version.dwMinorVersion, 10u);
  EXPECT_EQ(version.dwBuildNumber, 0x040A08AEu);  // 9x carries the version in the high half
  EXPECT_STREQ(version.szCSDVersion, " A ");

  SetText(registry, HKEY_LOCAL_MACHINE, kNtVersionKey, "CurrentVersion", "5.1");
  SetText(registry, HKEY_LOCAL_MACHINE, kNtVersionKey, "CurrentBuildNumber", "2600");
  SetText(registry, HKEY_LOCAL_MACHINE, kNtVersionKey, "CSDVersion", "Service Pack 3");
  ASSERT_TRUE(system.GetVersionExA(&version));
  EXPECT_EQ(version.dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_EQ(version.dwBuildNumber, 2600u);
  EXPECT_STREQ(version.szCSDVersion, "Service Pack 3");
  version.dwOSVersionInfoSize = 20;
  EXPECT_FALSE(system.GetVersionExA(&version));
}

TEST(System, ExpandsEnvironmentStringsFromMachineAndUser) {
  TempImage image;
  ImageRegistry& registry = image.Machine().registry();
  System& system = image.Machine().system();
  SetText(registry, HKEY_LOCAL_MACHINE, kNtVersionKey, "SystemRoot", "C:\\WINNT");
  SetText(registry, HKEY_LOCAL_MACHINE, kSystemEnvironmentKey, "Path", "%SystemRoot%\\system32",
          REG_EXPAND_SZ);
  SetText(registry, HKEY_LOCAL_MACHINE, kSystemEnvironmentKey, "TEMP", "C:\\MachineTemp");
  SetText(registry, HKEY_CURRENT_USER, kUserEnvironmentKey, "temp", "%SystemDrive%\\UserTemp",
          REG_EXPAND_SZ);
  SetText(registry, HKEY_CURRENT_USER, kUserEnvironmentKey, "PATH", "C:\\Tools");

  EXPECT_EQ(system.Expand("%windir%|%TEMP%|%path%"),
            "C:\\WINNT|C:\\UserTemp|C:\\WINNT\\system32;C:\\Tools");
  EXPECT_EQ(system.Expand("100% sure %NOSUCH% %"), "100% sure %NOSUCH% %");
  char buffer[8];
  DWORD needed = system.ExpandEnvironmentStringsA("%SystemRoot%\\x", buffer, sizeof buffer);
  EXPECT_EQ(needed, std::strlen("C:\\WINNT\\x") + 1);  // too small: the size asked for
  char big[64];
  EXPECT_EQ(system.ExpandEnvironmentStringsA("%SystemRoot%\\x", big, sizeof big), needed);
  EXPECT_STREQ(big, "C:\\WINNT\\x");
  char temp[MAX_PATH];
  image.Files().GetTempPathA(sizeof temp, temp);
  EXPECT_STREQ(temp, "C:\\UserTemp\\");
}

TEST(System, ShellFoldersAreEmptyWhenTheImageHasNone) {
  TempImage image;
  System& system = image.Machine().system();
  char path[MAX_PATH] = "junk";
  EXPECT_EQ(system.SHGetFolderPathA(nullptr, CSIDL_STARTUP, nullptr, 0, path), E_FAIL);
  EXPECT_STREQ(path, "");
  EXPECT_EQ(system.SHGetFolderPathA(nullptr, 0x7F, nullptr, 0, path), E_INVALIDARG);
  SetText(image.Machine().registry(), HKEY_CURRENT_USER, kShellFoldersKey, "Startup",
          "C:\\Startup Folder\\");
  EXPECT_EQ(system.SHGetFolderPathA(nullptr, CSIDL_STARTUP, nullptr, 0, path), S_OK);
  EXPECT_STREQ(path, "C:\\Startup Folder");  // without the trailing backslash
  EXPECT_EQ(system.SHGetFolderPathA(nullptr, CSIDL_WINDOWS, nullptr, 0, path), S_OK);
  EXPECT_STREQ(path, "C:\\WINDOWS");
}

TEST(System, MessageTextsAndCodePage) {
  TempImage image;
  System& system = image.Machine().system();
  char text[256];
  ASSERT_GT(system.FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, ERROR_SHARING_VIOLATION, 0, text, sizeof text, nullptr),
            0u);
  EXPECT_STREQ(text,
               "The process cannot access the file because it is being used by another "
               "process.\r\n");
  EXPECT_EQ(system.FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 99999, 0, text, sizeof text,
                                  nullptr),
            0u);
  EXPECT_EQ(system.GetACP(), 1252u);
  SetText(image.Machine().registry(), HKEY_LOCAL_MACHINE, kCodePageKey, "ACP", "932");
  EXPECT_EQ(system.GetACP(), 932u);
  // A machine opened afterwards compares names in that code page.
  auto machine = ImageMachine::Open(image.Root());
  ASSERT_TRUE(machine);
  EXPECT_EQ(machine->Code().Number(), 932u);
}

}  // namespace
}  // namespace platform
