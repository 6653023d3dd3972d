// The pieces of start-up that need no second process: the command line proper, the program
// folder forms, resource formats and the status-line hints.
#include <gtest/gtest.h>

#include "app/application.h"
#include "app/hint_table.h"
#include "app/main_window.h"
#include "app/program_folder.h"
#include "foundation/text_format.h"
#include "support/temp_image.h"

namespace {

using foundation::FormatText;

TEST(CommandLineProperTest, DropsTheProgramPathAndLeadingBlanksOnly) {
  EXPECT_EQ(app::CommandLineProper("\"C:\\Program Files\\V\\Vexmarl.exe\"   -t "), "-t ");
  EXPECT_EQ(app::CommandLineProper("C:\\V\\Vexmarl.exe\t-s"), "-s");
  EXPECT_EQ(app::CommandLineProper("C:\\V\\Vexmarl.exe"), "");
  EXPECT_EQ(app::CommandLineProper("\"C:\\unterminated -t"), "");
}

TEST(SplitPathTest, DriveDirectoryNameAndExtension) {
  app::PathParts parts = app::SplitPath("C:\\Program Files\\Vexmarl\\Vexmarl.exe");
  EXPECT_EQ(parts.drive + parts.directory, "C:\\Program Files\\Vexmarl\\");
  EXPECT_EQ(parts.name, "Vexmarl");
  EXPECT_EQ(parts.extension, ".exe");
  EXPECT_EQ(app::SplitPath("Vexmarl.exe").directory, "");
}

TEST(FormatTextTest, FillsConversionsInOrderWhateverTheResourceAsks) {
  EXPECT_EQ(FormatText("%s %s", {std::string("Vexmarl"), std::string("4.23")}), "Vexmarl 4.23");
  EXPECT_EQ(FormatText("%d of %d, 100%%", {3LL, 7LL}), "3 of 7, 100%");
  EXPECT_EQ(FormatText("version %.2f", {15.25}), "version 15.25");
  EXPECT_EQ(FormatText("[%5d|%-4s]", {42LL, std::string("ab")}), "[   42|ab  ]");
  // A format that asks for more or other arguments than given never reads past them.
  EXPECT_EQ(FormatText("%s and %s and %n", {std::string("one")}), "one and  and ");
  EXPECT_EQ(FormatText("%d", {std::string("12abc")}), "12");
  EXPECT_EQ(FormatText("%s", {7LL}), "7");
  EXPECT_EQ(FormatText("%ld left%", {5LL}), "5 left%");
}

// Records what the window would show.
class RecordingView : public app::MainView {
 public:
  void ShowStatus(const std::string& text) override { shown.push_back(text); }
  void Activate() override { shown.push_back("(activated)"); }
  void ShowPage(const app::PageShown&) override {}
  void AddRow(const app::FoundRow&) override {}
  void ShowScanProgress(const app::ScanProgressView&) override {}
  void ShowScanEnd(const std::string&, const std::string&) override {}
  platform::Prompt& prompt() override { return prompt_; }
  std::vector<std::string> shown;

 private:
  platform::ScriptedPrompt prompt_;
};

TEST(HintPrescreeningTest, ShowsAControlsHintOnceAndTheDefaultTextElsewhere) {
  testing_support::TempImage image;
  RecordingView view;
  app::Application application(image.Machine(), view, "C:\\Vexmarl.exe");
  app::MainWindow window(image.Machine(), application.Branding(), application.Texts(), view, "",
                         "C:\\");
  application.SetMainWindow(&window);
  int a = 0, b = 0, c = 0;
  platform::HWND withHint = &a, withId = &b, without = &c;
  app::HintTable::Instance().SetText(withHint, "Starts a scan now");
  app::HintTable::Instance().SetStringId(withId, 156);
  auto move = [&](platform::HWND control) {
    application.PreTranslateMessage(platform::MSG{control, app::WM_MOUSEMOVE, 0, 0, 0});
  };

  application.SetInitialising(true);
  move(withHint);
  EXPECT_TRUE(view.shown.empty());  // nothing while starting up
  application.SetInitialising(false);
  move(withHint);
  move(withHint);  // moving within one control changes nothing
  move(withId);
  move(without);
  application.PreTranslateMessage(platform::MSG{withHint, platform::WM_TIMER, 0, 0, 0});
  EXPECT_EQ(view.shown,
            (std::vector<std::string>{
                "Starts a scan now", "A scan is running. Stop the scan before closing the program.",
                " 4.23"}));  // no brand loaded here: an empty name
  app::HintTable::Instance().Remove(withHint);
  app::HintTable::Instance().Remove(withId);
}

}  // namespace
