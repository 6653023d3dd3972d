// vexmarl-cli quarantine as a real process on an installed image, and the image's registry
// editor started with the path forms a restore and a person use.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "regedit/registry_io.h"
#include "removal/quarantine_run.h"
#include "support/installed_program.h"

namespace {

using testing_support::RunCommand;
using testing_support::TempImage;

constexpr const char* kProgramFolder = "C:\\Program Files\\Vexmarl\\";

class CliQuarantineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::InstallProgram(image_));
    entry_.name = "Spy";
  }
  std::string Run(const std::string& arguments, int* status) {
    return RunCommand(std::string(VEXMACHINE_PROGRAM) + " run '" + image_.Root() +
                          "' 'C:\\Program Files\\Vexmarl\\vexmarl-cli.exe' " + arguments +
                          " 2>/dev/null",
                      status);
  }
  // Quarantines one file of the image and deletes it; the archive's row title.
  std::string Archive(const std::string& file) {
    image_.WriteFile(file, "kept " + file);
    std::string path;
    removal::QuarantineStep step{image_.Machine(), kProgramFolder, [](const std::string&) {}, {}};
    EXPECT_TRUE(removal::QuarantineRun(
        step, {scan::FoundItem{true, file, &entry_, scan::FoundItemKind::File}}, &path));
    image_.Files().DeleteFileA(file.c_str());
    const std::string name = path.substr(path.rfind('\\') + 1);
    return name.substr(0, name.size() - 4);
  }

  TempImage image_{"xp"};
  definitions::SpywareEntry entry_;
};

TEST_F(CliQuarantineTest, ListsRestoresAndDeletesByRowTitle) {
  const std::string first = Archive("C:\\one.txt");
  const std::string second = Archive("C:\\two.txt");
  int status = -1;
  const std::string listed = Run("quarantine list", &status);
  EXPECT_EQ(status, 0);
  std::istringstream lines(listed);
  std::string line;
  std::vector<std::string> titles;
  while (std::getline(lines, line)) {
    titles.push_back(line.substr(0, line.find('\t')));
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 3) << line;
    EXPECT_NE(line.find("\t1\t"), std::string::npos) << line;
  }
  EXPECT_EQ(titles, (std::vector<std::string>{first, second}));

  Run("quarantine restore " + first + " nothing-like-this", &status);
  EXPECT_EQ(status, 2);  // a name not in the store: nothing is done
  EXPECT_FALSE(image_.Files().PathFileExistsA("C:\\one.txt"));
  Run("quarantine restore " + first, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(image_.ReadFile("C:\\one.txt"), "kept C:\\one.txt");
  Run("quarantine delete " + second, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Run("quarantine list", &status), "");
  Run("quarantine", &status);
  EXPECT_EQ(status, 2);
}

TEST_F(CliQuarantineTest, AnArchiveThatFailsToRestoreIsKept) {
  ASSERT_TRUE(std::filesystem::create_directories(image_.HostPath("Gone")));
  const std::string title = Archive("C:\\Gone\\x.txt");
  ASSERT_TRUE(image_.Files().RemoveDirectoryA("C:\\Gone"));
  int status = -1;
  Run("quarantine restore " + title, &status);  // its folder is gone
  EXPECT_EQ(status, 1);
  EXPECT_NE(Run("quarantine list", &status).find(title + "\t1\t"), std::string::npos);
}

TEST_F(CliQuarantineTest, RegistryEditorTakesQuotedAndUnquotedPathsWithBlanks) {
  ASSERT_TRUE(std::filesystem::create_directories(image_.HostPath("My Files")));
  image_.WriteFile("C:\\My Files\\a.reg", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n");
  image_.WriteFile("C:\\My Files\\b.reg", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\B]\r\n");
  int status = -1;
  RunCommand(std::string(VEXMACHINE_PROGRAM) + " run '" + image_.Root() +
                 "' --cmdline 'regedit.exe /si C:\\My Files\\a.reg' 'C:\\WINDOWS\\regedit.exe'",
             &status);
  EXPECT_EQ(status, 0);
  RunCommand(std::string(VEXMACHINE_PROGRAM) + " run '" + image_.Root() +
                 "' --cmdline 'regedit.exe /si \"C:\\My Files\\b.reg\"' 'C:\\WINDOWS\\regedit.exe'",
             &status);
  EXPECT_EQ(status, 0);
  for (const char* key : {"SOFTWARE\\A", "SOFTWARE\\B"}) {
    platform::HKEY opened;
    EXPECT_EQ(image_.Machine().registry().RegOpenKeyExA(platform::HKEY_LOCAL_MACHINE, key, 0,
                                                        platform::KEY_READ, &opened),
              platform::ERROR_SUCCESS)
        << key;
  }
}

}  // namespace
