// The browser pages notice: what it shows when it opens, its two exclusive pairs, and what
// applying writes.
#include "app/browser_pages_notice.h"

#include <gtest/gtest.h>

#include "regedit/registry_io.h"
#include "support/temp_image.h"

namespace app {
namespace {

using namespace platform;
using Notice = BrowserPagesNotice;

constexpr const char* kMain = "Software\\Microsoft\\Internet Explorer\\Main";

class BrowserPagesNoticeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(regedit::ImportRegistryText(
        image_.Machine().registry(),
        "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vexmarl]\r\n"
        "\"Homepage\"=\"http://home.example/\"\r\n\"Searchpage\"=\"http://find.example/\"\r\n"
        "[HKEY_CURRENT_USER\\" +
            std::string(kMain) +
            "]\r\n\"Start Page\"=\"http://HOME.example/\"\r\n"
            "\"Search Page\"=\"http://hijack.example/\"\r\n",
        error))
        << error;
  }
  std::string Page(HKEY root, const char* name) {
    HKEY key;
    if (image_.Machine().registry().RegOpenKeyExA(root, kMain, 0, KEY_READ, &key) != ERROR_SUCCESS)
      return "<no key>";
    char data[256] = {};
    DWORD size = sizeof data - 1;
    image_.Machine().registry().RegQueryValueExA(key, name, nullptr, nullptr,
                                                 reinterpret_cast<BYTE*>(data), &size);
    image_.Machine().registry().RegCloseKey(key);
    return data;
  }

  testing_support::TempImage image_{"xp"};
  Resources resources_;
  UserSettings settings_{image_.Machine().registry(), "Vexmarl"};
  int shown_ = 0;
  Notice notice_{image_.Machine(), settings_, resources_, "Vexmarl", [this] { ++shown_; }};
};

TEST_F(BrowserPagesNoticeTest, OpensWithTheSavedPagesTicked) {
  notice_.Open();
  EXPECT_EQ(notice_.Caption(Notice::SavedStart), "http://home.example/");
  EXPECT_EQ(notice_.Caption(Notice::BrowserStart), "http://HOME.example/");
  EXPECT_EQ(notice_.Caption(Notice::SavedSearch), "http://find.example/");
  EXPECT_EQ(notice_.Caption(Notice::BrowserSearch), "http://hijack.example/");
  EXPECT_TRUE(notice_.PagesDiffer());  // letter case counts here
  EXPECT_TRUE(notice_.Ticked(Notice::SavedStart));
  EXPECT_FALSE(notice_.Ticked(Notice::BrowserStart));
  EXPECT_TRUE(notice_.Ticked(Notice::SavedSearch));
  EXPECT_EQ(notice_.StartHeading(), resources_.String(67));
  // The boxes of a pair exclude each other; unticking leaves both clear.
  notice_.Tick(Notice::BrowserSearch, true);
  EXPECT_FALSE(notice_.Ticked(Notice::SavedSearch));
  notice_.Tick(Notice::SavedStart, false);
  EXPECT_FALSE(notice_.Ticked(Notice::BrowserStart));
}

TEST_F(BrowserPagesNoticeTest, ApplyingWritesTheChosenPagesEverywhere) {
  notice_.Open();
  notice_.Tick(Notice::SavedStart, false);  // neither box: the browser's page is taken
  notice_.Apply();
  EXPECT_EQ(settings_.Text(setting::kHomepage), "http://HOME.example/");
  EXPECT_EQ(settings_.Text(setting::kSearchpage), "http://find.example/");
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    EXPECT_EQ(Page(root, "Start Page"), "http://HOME.example/");
    EXPECT_EQ(Page(root, "Search Page"), "http://find.example/");
  }
  EXPECT_EQ(shown_, 1);
  notice_.Open();
  EXPECT_FALSE(notice_.PagesDiffer());
}

}  // namespace
}  // namespace app
