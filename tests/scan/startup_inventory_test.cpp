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

// Of real shortcuts, many name their target only by its item list (those that run
// "cmd /c ..." most often), by a network share or by a path relative to the shortcut, and
// some are damaged after the parts that name it; each is followed as Windows follows it.
TEST(StartupInventory, ShortcutsLeadToTheirTargetWhereverTheyNameIt) {
  using testing_support::DriveItem;
  using testing_support::FileItem;
  using testing_support::MyComputerItem;
  using testing_support::ShortcutParts;
  TempImage image("xp");
  image.WriteHostFile("Program Files/Clock/clock.exe", "clock program");
  const std::string startup = "Documents and Settings/User/Start Menu/Programs/Startup/";
  const std::string folder = "C:\\Documents and Settings\\User\\Start Menu\\Programs\\Startup\\";
  auto target = [&](const std::string& name, const ShortcutParts& parts) {
    image.WriteHostFile(startup + name, testing_support::ShortcutBytes(parts));
    return ResolveShortcut(image.Machine(), folder + name);
  };
  const std::vector<std::string> clockItems = {MyComputerItem(), DriveItem('C'),
                                               FileItem("PROGRA~1", u"Program Files", true),
                                               FileItem("Clock", u"", true), FileItem("clock.exe")};

  // The item list alone: folders by their long names where the item has one.
  ShortcutParts listed;
  listed.items = clockItems;
  EXPECT_EQ(target("listed.lnk", listed), "C:\\Program Files\\Clock\\clock.exe");
  ShortcutParts command;
  command.items = {MyComputerItem(), DriveItem('C'), FileItem("WINDOWS", u"", true),
                   FileItem("system32", u"", true), FileItem("cmd.exe")};
  command.arguments = u"/c start \\\\evil\\x.exe";
  EXPECT_EQ(target("command.lnk", command), "C:\\WINDOWS\\system32\\cmd.exe");

  // A network share with the common path suffix; a path relative to the shortcut's folder.
  ShortcutParts shared;
  shared.shareName = "\\\\server\\tools";
  shared.pathSuffix = "clock\\clock.exe";
  EXPECT_EQ(target("shared.lnk", shared), "\\\\server\\tools\\clock\\clock.exe");
  ShortcutParts relative;
  relative.relativePath = u"..\\..\\..\\..\\..\\Program Files\\Clock\\clock.exe";
  EXPECT_EQ(target("relative.lnk", relative), "C:\\Program Files\\Clock\\clock.exe");

  // The order: the local path, the network path, the item list, the relative path.
  ShortcutParts all = listed;
  all.localPath = "C:\\local.exe";
  all.shareName = "\\\\server\\share";
  all.relativePath = u"relative.exe";
  EXPECT_EQ(target("all.lnk", all), "C:\\local.exe");
  all.localPath.reset();
  EXPECT_EQ(target("all.lnk", all), "\\\\server\\share");
  all.shareName.reset();
  EXPECT_EQ(target("all.lnk", all), "C:\\Program Files\\Clock\\clock.exe");
  all.items.clear();
  EXPECT_EQ(target("all.lnk", all), folder + "relative.exe");

  // Damage after the target that liblnk refuses the whole file for.
  ShortcutParts padded = command;
  padded.arguments = std::u16string(300, u' ') + u"/c start x.exe";
  padded.argumentsCut = true;
  EXPECT_EQ(target("padded.lnk", padded), "C:\\WINDOWS\\system32\\cmd.exe");
  ShortcutParts oversized;
  oversized.localPath = "C:\\Program Files\\Clock\\clock.exe";
  oversized.oversizedExtraBlock = true;
  EXPECT_EQ(target("oversized.lnk", oversized), "C:\\Program Files\\Clock\\clock.exe");

  // A name with an unpaired UTF-16 surrogate: the ANSI path as the link stores it, and in an
  // item's long name a "?" for the surrogate alone.
  ShortcutParts surrogate;
  surrogate.localPath = "C:\\Program Files\\Clock\\clock?.exe";
  surrogate.localPathUnicode = u"C:\\Program Files\\Clock\\clock\xD800.exe";
  EXPECT_EQ(target("surrogate.lnk", surrogate), "C:\\Program Files\\Clock\\clock?.exe");
  ShortcutParts surrogateItem;
  surrogateItem.items = {MyComputerItem(), DriveItem('C'),
                         FileItem("CLOCK~1.EXE", u"clock\xD800.exe")};
  EXPECT_EQ(target("surrogate.lnk", surrogateItem), "C:\\clock?.exe");

  // The inventory lists the target the item list names, with its digest.
  std::string written;
  WriteStartupFolder(image.Machine(), folder.substr(0, folder.size() - 1),
                     [&](const std::string& line) { written += line; });
  EXPECT_NE(
      written.find("Program = \"listed.lnk\" LinkFile = \"C:\\Program Files\\Clock\\clock.exe\" "
                   "MD5 = \"" +
                   foundation::Md5OfText("clock program") + "\"/>\n"),
      std::string::npos)
      << written;
}

}  // namespace
}  // namespace scan
