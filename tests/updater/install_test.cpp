// The installer on an image: the install list read from the current folder, files moved or
// unpacked into place, path macros, and what happens to the old files when something fails.
#include <gtest/gtest.h>

#include <ctime>

#include "foundation/whole_file.h"
#include "platform/file_time.h"
#include "support/temp_image.h"
#include "updater/install_list.h"
#include "updater/zip_extract.h"
#include "updater/zip_writer.h"

namespace updater {
namespace {

using namespace platform;
using testing_support::ZipItem;

constexpr const char* kApp = "C:\\App\\";
constexpr const char* kTemp = "C:\\Temp\\";

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    UpdateLibrary::Instance().UseMachine(&image_.Machine());
    UpdateLibrary::Instance().UsePrompt(&prompt_);
    image_.WriteHostFile("App/Vexmarl.exe", "program");
    image_.WriteHostFile("Temp/placeholder", "");
    ASSERT_TRUE(image_.Files().SetCurrentDirectoryA(kApp));
  }
  void TearDown() override {
    UpdateLibrary::Instance().UseMachine(nullptr);
    UpdateLibrary::Instance().UsePrompt(nullptr);
  }

  // Writes the list (lines joined with CR LF) and runs the installer without its wait.
  void Install(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    ASSERT_TRUE(
        foundation::WriteWholeFile(image_.Files(), std::string(kApp) + kInstallListName, text));
    InstallUpdates(UpdateLibrary::Instance(), 0);
  }
  std::string Source(const std::string& name, const std::string& content) {
    image_.WriteHostFile(std::string("Temp/") + name, content);
    return kTemp + name;
  }
  std::string Zip(const std::string& name, const std::vector<ZipItem>& items) {
    EXPECT_TRUE(testing_support::WriteZip(image_.HostPath("Temp/" + name), items));
    return kTemp + name;
  }
  std::optional<std::string> Read(const std::string& path) {
    return foundation::ReadWholeFile(image_.Files(), path);
  }
  static std::string Line(const std::string& source, const std::string& name,
                          const std::string& folder, bool unpack = false, bool open = false) {
    return source + "\t" + name + "\t" + folder + "\t" + (unpack ? "1" : "0") + "\t" +
           (open ? "1" : "0");
  }

  testing_support::TempImage image_{"xp"};
  ScriptedPrompt prompt_;
};

TEST_F(InstallTest, FilesAreMovedIntoTheirFoldersJoinedWithOneBackslash) {
  Install({"2", "C:\\App\\Vexmarl.exe", "0", Line(Source("A1", "one"), "one.dll", "C:\\App\\"),
           Line(Source("A2", "two"), "two.dll", "C:\\App")});
  EXPECT_EQ(Read("C:\\App\\one.dll"), "one");
  EXPECT_EQ(Read("C:\\App\\two.dll"), "two");
  EXPECT_FALSE(Read("C:\\Temp\\A1"));                        // the download is gone
  EXPECT_FALSE(Read(std::string(kApp) + kInstallListName));  // the list too
  EXPECT_TRUE(prompt_.Asked().empty());
}

TEST_F(InstallTest, MacrosAreExpandedInOrderAndOnlyInTheirOwnLetterCase) {
  char programFiles[MAX_PATH] = {};
  image_.Machine().system().SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0,
                                             programFiles);
  EXPECT_EQ(ExpandPathMacros(image_.Machine().system(), "%programfiles%\\Vendor"),
            std::string(programFiles) + "\\Vendor");
  EXPECT_EQ(ExpandPathMacros(image_.Machine().system(), "%ProgramFiles%\\Vendor"),
            "%ProgramFiles%\\Vendor");
  EXPECT_EQ(JoinTarget("C:\\A\\", "b"), "C:\\A\\b");
  EXPECT_EQ(JoinTarget("C:\\A", "b"), "C:\\A\\b");
  image_.WriteHostFile("Program Files/Vendor/keep", "");
  Install({"1", "C:\\App\\Vexmarl.exe", "0",
           Line(Source("M", "macro"), "m.txt", "%programfiles%\\Vendor")});
  EXPECT_EQ(Read(std::string(programFiles) + "\\Vendor\\m.txt"), "macro");
}

TEST_F(InstallTest, AnArchiveIsUnpackedWithItsFoldersAndEntryTimes) {
  const std::string archive =
      Zip("Z1", {{"a/b/c.txt", "deep"}, {"empty/", "", true}, {"top.txt", "top"}});
  Install({"1", "C:\\App\\Vexmarl.exe", "0", Line(archive, "skins.zip", "C:\\App\\", true)});
  EXPECT_EQ(Read("C:\\App\\a\\b\\c.txt"), "deep");
  EXPECT_EQ(Read("C:\\App\\top.txt"), "top");
  EXPECT_NE(image_.Files().GetFileAttributesA("C:\\App\\empty") & FILE_ATTRIBUTE_DIRECTORY, 0u);
  WIN32_FILE_ATTRIBUTE_DATA facts;
  ASSERT_TRUE(
      image_.Files().GetFileAttributesExA("C:\\App\\top.txt", GetFileExInfoStandard, &facts));
  std::tm local{};
  local.tm_sec = 30;
  local.tm_min = 45;
  local.tm_hour = 13;
  local.tm_mday = 20;
  local.tm_mon = 10;
  local.tm_year = 106;
  local.tm_isdst = -1;
  EXPECT_EQ(UnixFromFileTime(facts.ftLastWriteTime).seconds, std::mktime(&local));
  EXPECT_FALSE(Read(archive));
}

TEST_F(InstallTest, ANonArchiveOrAFailedMoveLeavesTheOldFileInPlace) {
  image_.WriteHostFile("App/skins.zip", "old archive");
  image_.WriteHostFile("App/keep.dll", "old library");
  Install({"2", "C:\\App\\Vexmarl.exe", "0",
           Line(Source("NZ", "not a zip"), "skins.zip", "C:\\App\\", true),
           Line("C:\\Temp\\vanished", "keep.dll", "C:\\App\\")});
  EXPECT_EQ(prompt_.Asked(), std::vector<std::string>{"Install: Zip Open Failed"});
  EXPECT_EQ(Read("C:\\App\\skins.zip"), "old archive");
  EXPECT_EQ(Read("C:\\App\\keep.dll"), "old library");
  EXPECT_FALSE(Read("C:\\Temp\\NZ"));
}

TEST_F(InstallTest, AnEntryThatWouldLeaveTheRootStopsTheExtraction) {
  for (const char* escape : {"../evil.txt", "/abs.txt", "C:/drive.txt", "a/../../up.txt"}) {
    const std::string archive =
        Zip("Z2", {{"good.txt", "good"}, {escape, "evil"}, {"after.txt", "after"}});
    EXPECT_EQ(ExtractZip(image_.Files(), archive, "C:\\App\\Root"), ZipResult::Stopped) << escape;
    EXPECT_EQ(Read("C:\\App\\Root\\good.txt"), "good");
    EXPECT_FALSE(Read("C:\\App\\Root\\after.txt")) << escape;
    for (const char* outside :
         {"C:\\App\\evil.txt", "C:\\abs.txt", "C:\\drive.txt", "C:\\up.txt", "C:\\App\\up.txt"})
      EXPECT_FALSE(Read(outside)) << escape << " " << outside;
    image_.Files().DeleteFileA(archive.c_str());
  }
  EXPECT_FALSE(StaysBelowRoot(".."));
  EXPECT_TRUE(StaysBelowRoot("a\\..b\\c"));
}

TEST_F(InstallTest, AListThatAnnouncesMoreFilesThanItHoldsEndsWithTheErrorAndStays) {
  Install({"2", "C:\\App\\Vexmarl.exe", "0", Line(Source("B1", "first"), "first.dll", kApp)});
  EXPECT_EQ(Read("C:\\App\\first.dll"), "first");
  EXPECT_EQ(prompt_.Asked(), std::vector<std::string>{"Corvane: Error in installing updates."});
  EXPECT_TRUE(Read(std::string(kApp) + kInstallListName));
}

TEST_F(InstallTest, WithoutAListNothingHappens) {
  InstallUpdates(UpdateLibrary::Instance(), 0);
  EXPECT_TRUE(prompt_.Asked().empty());
}

TEST(InstallListTest, TheListHasItsCountProgramRestartAndFileLinesWithCrLf) {
  InstallList list{"C:\\PROGRA~1\\Vexmarl\\Vexmarl.exe",
                   true,
                   {{"C:\\T\\ABC", "Corvane.dll", "C:\\PROGRA~1\\Vexmarl\\", false, false},
                    {"C:\\T\\DEF", "skins.zip", "C:\\PROGRA~1\\Vexmarl\\", true, true}}};
  EXPECT_EQ(InstallListText(list),
            "2\r\nC:\\PROGRA~1\\Vexmarl\\Vexmarl.exe\r\n1\r\n"
            "C:\\T\\ABC\tCorvane.dll\tC:\\PROGRA~1\\Vexmarl\\\t0\t0\r\n"
            "C:\\T\\DEF\tskins.zip\tC:\\PROGRA~1\\Vexmarl\\\t1\t1\r\n");
}

}  // namespace
}  // namespace updater
