#include "scan/startup_inventory.h"

#include <gtest/gtest.h>

#include "foundation/md5_text.h"
#include "scan/shortcut.h"
#include "support/shortcut_writer.h"
#include "support/temp_image.h"

namespace scan {
namespace {

using namespace platform;
using testing_support::TempImage;

void SetValue(Registry& registry, HKEY root, const char* path, const char* name, DWORD type,
              const std::string& data) {
  HKEY key;
  ASSERT_EQ(
      registry.RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
      ERROR_SUCCESS);
  registry.RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                          static_cast<DWORD>(data.size()));
  registry.RegCloseKey(key);
}

std::string Text(const std::string& text) {
  return text + '\0';
}

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

TEST(StartupInventory, ListsValuesWithTheirProgramFiles) {
  TempImage image("xp");
  ImageRegistry& registry = image.Machine().registry();
  image.WriteHostFile("Program Files/Tray Tool/tray.exe", "tray program");
  image.WriteHostFile("WINDOWS/system32/helper.exe", "helper program");
  const std::string trayMd5 = foundation::Md5OfText("tray program");
  const std::string helperMd5 = foundation::Md5OfText("helper program");
  SetValue(registry, HKEY_CURRENT_USER, kRun, "Tray", REG_SZ,
           Text("\"C:\\Program Files\\Tray Tool\\tray.exe\" -minimized"));
  SetValue(registry, HKEY_CURRENT_USER, kRun, "Helper", REG_SZ, Text("helper.exe"));
  SetValue(registry, HKEY_CURRENT_USER, kRun, "Direct", REG_SZ,
           Text("C:\\WINDOWS\\system32\\helper.exe"));
  SetValue(registry, HKEY_CURRENT_USER, kRun, "Gone", REG_SZ, Text("C:\\nowhere\\x.exe"));
  SetValue(registry, HKEY_CURRENT_USER, kRun, "Flag", REG_SZ, Text("Yes"));
  SetValue(registry, HKEY_CURRENT_USER, kRun, "One", REG_DWORD, std::string("\x01\0\0\0", 4));
  SetValue(registry, HKEY_CURRENT_USER, kRun, "Zero", REG_DWORD, std::string("\0\0\0\0", 4));
  SetValue(registry, HKEY_CURRENT_USER, kRun, "Bytes", REG_BINARY, "ab");

  std::vector<std::string> lines;
  ASSERT_TRUE(
      ListRegistryValues(image.Machine(), std::string("HKEY_CURRENT_USER\\") + kRun, "", lines));
  const std::vector<std::string> expected = {
      "RootKey = \"HKEY_CURRENT_USER\" KeyPath = "
      "\"Software\\Microsoft\\Windows\\CurrentVersion\\Run\"",
      "Value = \"Tray\" Data = \"C:\\Program Files\\Tray Tool\\tray.exe -minimized\" MD5 = \"" +
          trayMd5 + "\" Path = \"\"",
      "Value = \"Helper\" Data = \"helper.exe\" MD5 = \"" + helperMd5 +
          "\" Path = \"C:\\WINDOWS\\system32\\helper.exe\"",
      "Value = \"Direct\" Data = \"C:\\WINDOWS\\system32\\helper.exe\" MD5 = \"" + helperMd5 +
          "\" Path = \"\"",
      "Value = \"Gone\" Data = \"C:\\nowhere\\x.exe\"",
      "Value = \"One\" Data = \"(DWORD) 0x1 0 0 0\"",
      "Value = \"Zero\" Data = \"(DWORD) 0 0 0 0\"",
      "Value = \"Bytes\" Data = \"\"",
  };
  EXPECT_EQ(lines, expected);

  EXPECT_FALSE(
      ListRegistryValues(image.Machine(), "HKEY_CURRENT_USER\\Software\\Nothing", "", lines));
  EXPECT_TRUE(lines.empty());
  EXPECT_FALSE(ListRegistryValues(image.Machine(), "HKEY_NOWHERE\\Software", "", lines));
}

TEST(StartupInventory, FiltersAndTheInventoryOfAllLocations) {
  TempImage image("xp");
  ImageRegistry& registry = image.Machine().registry();
  const char* winlogon = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
  SetValue(registry, HKEY_LOCAL_MACHINE, winlogon, "USERINIT", REG_SZ,
           Text("C:\\x\\userinit.exe,"));
  std::vector<std::string> lines;
  ASSERT_TRUE(ListRegistryValues(image.Machine(), std::string("HKEY_LOCAL_MACHINE\\") + winlogon,
                                 "Userinit", lines));
  ASSERT_EQ(lines.size(), 2u);  // the key, then only the filtered value (any case)
  EXPECT_EQ(lines[1], "Value = \"USERINIT\" Data = \"C:\\x\\userinit.exe,\"");

  std::string written;
  WriteAutorunInventory(image.Machine(), [&](const std::string& line) { written += line; });
  EXPECT_NE(written.find("<Information RootKey = \"HKEY_LOCAL_MACHINE\" KeyPath = "
                         "\"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\"/>\n"
                         "<Information Value = \"USERINIT\""),
            std::string::npos)
      << written;
  // Empty locations write nothing, not even their key line.
  EXPECT_EQ(written.find("RunServicesOnce"), std::string::npos);
}

TEST(StartupInventory, StartupFoldersResolveShortcuts) {
  TempImage image("xp");
  image.WriteHostFile("Program Files/Clock/clock.exe", "clock program");
  const std::string startup = "Documents and Settings/User/Start Menu/Programs/Startup/";
  image.WriteHostFile(startup + "Clock.lnk",
                      testing_support::ShortcutBytes("C:\\Program Files\\Clock\\clock.exe"));
  image.WriteHostFile(startup + "broken.lnk", "not a shortcut");
  image.WriteHostFile(startup + "notes.txt", "notes");
  image.WriteHostFile(startup + ".hidden", "x");
  EXPECT_EQ(
      ResolveShortcut(image.Machine(),
                      "C:\\Documents and Settings\\User\\Start Menu\\Programs\\Startup\\Clock.lnk"),
      "C:\\Program Files\\Clock\\clock.exe");
  EXPECT_EQ(
      ResolveShortcut(image.Machine(),
                      "C:\\Documents and Settings\\User\\Start Menu\\Programs\\Startup\\notes.txt"),
      "");

  std::string written;
  WriteStartupFolders(image.Machine(), [&](const std::string& line) { written += line; });
  const std::string pattern = "C:\\Documents and Settings\\User\\Start Menu\\Programs\\Startup\\*";
  EXPECT_EQ(
      written,
      "<Information Directory = \"" + pattern + "\" Program = \"broken.lnk\" MD5 = \"" +
          foundation::Md5OfText("not a shortcut") + "\" />\n" + "<Information Directory = \"" +
          pattern +
          "\" Program = \"Clock.lnk\" LinkFile = \"C:\\Program Files\\Clock\\clock.exe\" MD5 = \"" +
          foundation::Md5OfText("clock program") + "\"/>\n" + "<Information Directory = \"" +
          pattern + "\" Program = \"notes.txt\" MD5 = \"" + foundation::Md5OfText("notes") +
          "\" />\n");
}

}  // namespace
}  // namespace scan
