// The quarantine page over the store of an installed program: rows, statistics, restoring
// and deleting what the person ticked, and what the person is told.
#include "app/quarantine_page.h"

#include <gtest/gtest.h>

#include "removal/quarantine_archive.h"
#include "removal/quarantine_run.h"
#include "support/installed_program.h"

namespace app {
namespace {

using namespace platform;
using Lines = std::vector<std::string>;

constexpr const char* kProgramFolder = "C:\\Program Files\\Vexmarl\\";

class QuarantinePageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::InstallProgram(image_));
    image_.Files().SetCurrentDirectoryA(kProgramFolder);
    ASSERT_TRUE(resources_.Load(image_.Machine()));
    entry_.name = "Spy";
  }
  // An archive of the store holding one file.
  std::string Archive(const std::string& file) {
    image_.WriteFile(file, "content of " + file);
    std::string path;
    removal::QuarantineStep step{image_.Machine(), kProgramFolder, [](const std::string&) {}, {}};
    EXPECT_TRUE(removal::QuarantineRun(
        step, {scan::FoundItem{true, file, &entry_, scan::FoundItemKind::File}}, &path));
    image_.Files().DeleteFileA(file.c_str());
    return path;
  }

  testing_support::TempImage image_{"xp"};
  Resources resources_;
  UserSettings settings_{image_.Machine().registry(), "Vexmarl"};
  ScriptedPrompt prompt_;
  QuarantinePage page_{image_.Machine(), resources_, settings_, prompt_, "Vexmarl", kProgramFolder};
  definitions::SpywareEntry entry_;
};

TEST_F(QuarantinePageTest, ListsTheStoreAndKeepsItsStatistics) {
  Archive("C:\\a.txt");
  std::string unclosed;
  removal::QuarantineWriter writer(image_.Files(), [](const std::string&) {});
  ASSERT_TRUE(writer.Create(std::string(kProgramFolder) + "Quarantine\\Broken", 0, unclosed));
  page_.List();
  ASSERT_EQ(page_.Rows().size(), 2u);
  const QuarantineRow& broken = page_.Rows()[0];
  EXPECT_EQ(broken.title, "Broken");
  EXPECT_EQ(broken.itemTotal, "0");
  EXPECT_EQ(broken.size, "40 B");
  EXPECT_EQ(broken.created.size(), 8u);  // dd-mm-yy
  EXPECT_EQ(page_.Rows()[1].title.rfind("Quarantine", 0), 0u);
  EXPECT_EQ(page_.Rows()[1].itemTotal, "1");
  EXPECT_EQ(settings_.Number(setting::kQuarantineFiles, 99), 2u);
  EXPECT_EQ(settings_.Number(setting::kQuarantinedTotalItems, 99), 1u);
  EXPECT_EQ(page_.ColumnHeadings(),
            (std::array<std::string, 4>{resources_.String(87), resources_.String(88),
                                        resources_.String(89), resources_.String(90)}));
}

TEST_F(QuarantinePageTest, RestoresWhatWasTickedAndKeepsWhatFailed) {
  const std::string good = Archive("C:\\a.txt");
  std::string unclosed;
  {
    removal::QuarantineWriter writer(image_.Files(), [](const std::string&) {});
    ASSERT_TRUE(writer.Create(std::string(kProgramFolder) + "Quarantine\\Broken", 0, unclosed));
  }
  page_.List();
  page_.RestoreTicked();  // nothing ticked
  page_.Tick(0, true);
  page_.Tick(1, true);
  EXPECT_EQ(page_.RestoreTicked(), 1);
  EXPECT_EQ(image_.ReadFile("C:\\a.txt"), "content of C:\\a.txt");
  EXPECT_FALSE(image_.Files().PathFileExistsA(good.c_str()));
  ASSERT_EQ(page_.Rows().size(), 1u);
  EXPECT_EQ(page_.Rows()[0].title, "Broken");  // an unclosed archive is never lost
  EXPECT_TRUE(image_.Files().PathFileExistsA(unclosed.c_str()));
  EXPECT_EQ(prompt_.Asked(),
            (Lines{"Vexmarl: " + resources_.String(93), "Vexmarl: " + resources_.String(91),
                   "Vexmarl: 1 quarantine archive(s) restored."}));
  EXPECT_EQ(page_.DeleteTicked(), 1);
  EXPECT_TRUE(page_.Rows().empty());
  EXPECT_FALSE(image_.Files().PathFileExistsA(unclosed.c_str()));
}

}  // namespace
}  // namespace app
