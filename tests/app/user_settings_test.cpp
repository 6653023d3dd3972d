#include "app/user_settings.h"

#include <gtest/gtest.h>

#include "app/branding_settings.h"
#include "support/temp_image.h"

namespace app {
namespace {

using namespace platform;
using testing_support::TempImage;

class UserSettingsTest : public ::testing::Test {
 protected:
  ImageRegistry& registry() { return image_.Machine().registry(); }

  // The raw value under HKLM\path, with its type; "<none>" when missing.
  std::string Raw(const char* path, const char* name, DWORD* type = nullptr) {
    HKEY key;
    if (registry().RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
      return "<none>";
    char data[4096];
    DWORD size = sizeof data;
    LONG status =
        registry().RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(data), &size);
    registry().RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::string(data, size) : "<none>";
  }

  TempImage image_;
  UserSettings settings_{image_.Machine().registry(), "Vexmarl"};
};

TEST_F(UserSettingsTest, NumbersNeedTheKeyAndTheirType) {
  EXPECT_EQ(settings_.Number(setting::kAutoDatabaseUpdate, 1), 1u);  // no key: the default
  EXPECT_EQ(settings_.SetNumber(setting::kTotalScans, 5), 0);        // not created by a number
  EXPECT_EQ(Raw("SOFTWARE\\Vexmarl", setting::kTotalScans), "<none>");
  settings_.SetText(setting::kLastScanTime, "01-Dec-2006 at 10:00:00 AM");  // creates the key
  EXPECT_EQ(settings_.SetNumber(setting::kTotalScans, 5), 1);
  EXPECT_EQ(settings_.Number(setting::kTotalScans, 0), 5u);
  EXPECT_EQ(settings_.SetNumber(setting::kScanmode, 2), 1);
  EXPECT_EQ(settings_.Number(setting::kScanMode, 0), 2u);  // one value, two spellings
  settings_.SetText(setting::kCorvane, "1");               // a number stored as text
  EXPECT_EQ(settings_.Number(setting::kCorvane, 7), 7u);
  // The fixed key name is a key of its own for another brand.
  UserSettings other(registry(), "OtherBrand");
  EXPECT_EQ(other.ReadNumber(kFixedSettingsKeyName, setting::kTotalScans, 0), 5u);
}

TEST_F(UserSettingsTest, TextsAreWrittenWithoutTheirZeroAndReadUpTo1023Characters) {
  EXPECT_EQ(settings_.Text(setting::kHomepage), "");
  HKEY key;  // reading the text made the key
  EXPECT_EQ(registry().RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vexmarl", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  registry().RegCloseKey(key);

  EXPECT_EQ(settings_.SetText(setting::kHomepage, "http://home.example/"), 0);
  DWORD type = 0;
  EXPECT_EQ(Raw("SOFTWARE\\Vexmarl", setting::kHomepage, &type), "http://home.example/");
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(settings_.Text(setting::kHomepage), "http://home.example/");
  settings_.SetText(setting::kSearchpage, std::string(1023, 'a'));
  EXPECT_EQ(settings_.Text(setting::kSearchpage).size(), 1023u);
  settings_.SetText(setting::kSearchpage, std::string(1024, 'b'));
  EXPECT_EQ(settings_.Text(setting::kSearchpage), "");
  settings_.SetText(setting::kSearchpage, std::string(3000, 'c'));
  EXPECT_EQ(settings_.Text(setting::kSearchpage), "");
}

TEST_F(UserSettingsTest, AKeyThatRefusesWritingGivesDefaults) {
  settings_.SetText(setting::kHomepage, "x");
  ASSERT_EQ(settings_.SetNumber(setting::kTotalScans, 3), 1);
  ASSERT_EQ(registry().SetKeyRestriction(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vexmarl", true),
            ERROR_SUCCESS);
  EXPECT_EQ(settings_.Number(setting::kTotalScans, 0), 0u);  // opened for reading and writing
  EXPECT_EQ(settings_.SetNumber(setting::kTotalScans, 4), 0);
  EXPECT_EQ(settings_.Text(setting::kHomepage), "x");  // texts are read with read access
}

TEST_F(UserSettingsTest, TheWindowsStartUpEntry) {
  BrandingSettings branding;
  branding.APPNAME = "Vexmarl Pro";
  branding.REGISTRYNAME = "VexmarlReg";
  branding.EXENAME = "Vexmarl.exe";
  settings_.SetWindowsStartUp(true, branding, "C:\\Program Files\\Vexmarl\\");
  DWORD type = 0;
  EXPECT_EQ(Raw(kRunKey, "Vexmarl Pro", &type), "C:\\Program Files\\Vexmarl\\Vexmarl.exe -s");
  EXPECT_EQ(type, REG_SZ);
  // An entry under the registry name (from another version) goes too.
  HKEY run;
  ASSERT_EQ(registry().RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_ALL_ACCESS, &run),
            ERROR_SUCCESS);
  registry().RegSetValueExA(run, "VexmarlReg", 0, REG_SZ, reinterpret_cast<const BYTE*>("old"), 3);
  registry().RegSetValueExA(run, "Other", 0, REG_SZ, reinterpret_cast<const BYTE*>("keep"), 4);
  registry().RegCloseKey(run);
  settings_.SetWindowsStartUp(false, branding, "C:\\Program Files\\Vexmarl\\");
  EXPECT_EQ(Raw(kRunKey, "Vexmarl Pro"), "<none>");
  EXPECT_EQ(Raw(kRunKey, "VexmarlReg"), "<none>");
  EXPECT_EQ(Raw(kRunKey, "Other"), "keep");
  settings_.SetWindowsStartUp(false, branding, "C:\\Program Files\\Vexmarl\\");  // both missing
  EXPECT_EQ(Raw(kRunKey, "Vexmarl Pro"), "<none>");
}

}  // namespace
}  // namespace app
