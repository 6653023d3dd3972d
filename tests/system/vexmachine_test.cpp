// The vexmachine tool as a user runs it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include "support/helper_process.h"
#include "support/temp_image.h"

namespace {

namespace fs = std::filesystem;
using testing_support::RunCommand;

class VexmachineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "vexmachine-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    image_ = folder_ + "/image";
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Run(const std::string& arguments, int* status) {
    return RunCommand(std::string(VEXMACHINE_PROGRAM) + " " + arguments + " 2>&1", status);
  }

  std::string folder_, image_;
};

TEST_F(VexmachineTest, CreatesAWindowsXpLayout) {
  int status = -1;
  Run("create '" + image_ + "' --user Alice", &status);
  ASSERT_EQ(status, 0);
  for (const char* folder : {"WINDOWS/system32/drivers/etc", "Program Files/Common Files",
                             "Documents and Settings/Alice/Local Settings/Temp",
                             "Documents and Settings/Alice/Start Menu/Programs/Startup",
                             "Documents and Settings/All Users/Start Menu/Programs/Startup"})
    EXPECT_TRUE(fs::is_directory(image_ + "/drives/C/" + folder)) << folder;
  EXPECT_TRUE(fs::is_regular_file(image_ + "/drives/C/WINDOWS/system32/drivers/etc/hosts"));

  // A second create does not touch the existing image.
  std::string output = Run("create '" + image_ + "'", &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(output.find("not empty"), std::string::npos) << output;
}

TEST_F(VexmachineTest, TranslatesPathsAndListsFolders) {
  int status = -1;
  Run("create '" + image_ + "'", &status);
  ASSERT_EQ(status, 0);
  EXPECT_EQ(Run("path '" + image_ + "' 'c:\\documents and settings\\user\\local settings' --short",
                &status),
            "C:\\DOCUME~1\\User\\LOCALS~1\n");
  EXPECT_EQ(Run("path '" + image_ + "' 'C:\\DOCUME~1\\USER\\LOCALS~1' --long", &status),
            "C:\\Documents and Settings\\User\\Local Settings\n");
  EXPECT_EQ(Run("path '" + image_ + "' 'C:\\progra~1\\COMMON~1'", &status),
            fs::canonical(image_).string() + "/drives/C/Program Files/Common Files\n");
  Run("path '" + image_ + "' 'C:\\nowhere\\x' --long", &status);
  EXPECT_EQ(status, 1);

  std::string listing = Run("dir '" + image_ + "' 'C:\\WINDOWS' --recursive", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(listing.find("C:\\WINDOWS\\system32\\drivers\\etc\\hosts\n"), std::string::npos)
      << listing;
  Run("path '" + folder_ + "' 'C:\\'", &status);
  EXPECT_EQ(status, 1);  // not an image
}

std::map<std::string, std::string> InfoLines(const std::string& output) {
  std::map<std::string, std::string> lines;
  std::istringstream stream(output);
  for (std::string line; std::getline(stream, line);) {
    std::size_t tab = line.find('\t');
    const std::string key = line.substr(0, tab);
    const bool seen = lines.count(key) != 0;
    std::string& value = lines[key];
    if (seen) value += '|';  // appended: GCC 12 at -O3 misreads "|" + text as an overlap
    value += line.substr(tab + 1);
  }
  return lines;
}

TEST_F(VexmachineTest, InfoIdentifiesEachSystem) {
  struct Expected {
    const char* os;
    const char* identifier;
    const char* servicePack;
    const char* name;
    const char* code;
  } expectations[] = {
      {"98", "OS_WIN98", "", "Windows 98", "4"},
      {"me", "OS_MILLENIUM", "", "Windows ME", "7"},
      {"vista", "OS_WINNT", "", "unknown Windows version", "0"},
      {"7", "Win XP", "Service Pack 1", "unknown Windows version", "0"},
      {"xp", "Win XP", "Service Pack 2", "Windows XP", "104"},
  };
  for (const Expected& expected : expectations) {
    std::string image = folder_ + "/" + expected.os;
    int status = -1;
    Run("create '" + image + "' --os " + expected.os + " --user Bob", &status);
    ASSERT_EQ(status, 0) << expected.os;
    auto info = InfoLines(Run("info '" + image + "'", &status));
    EXPECT_EQ(info["os-identifier"], expected.identifier) << expected.os;
    EXPECT_EQ(info["service-pack-text"], expected.servicePack) << expected.os;
    EXPECT_EQ(info["os-name"], expected.name) << expected.os;
    EXPECT_EQ(info["os-code"], expected.code) << expected.os;
    EXPECT_EQ(info["user"], "Bob");
    EXPECT_EQ(info["code-page"], "1252");
  }
  auto xp = InfoLines(Run("info '" + folder_ + "/xp'", nullptr));
  // The user's temporary folder in its 8.3 form, as XP gives it: a path without blanks.
  EXPECT_EQ(xp["temp"], "C:\\DOCUME~1\\Bob\\LOCALS~1\\Temp\\");
  EXPECT_NE(xp["folder"].find("7\tC:\\Documents and Settings\\Bob\\Start Menu\\Programs\\Startup|"),
            std::string::npos)
      << xp["folder"];
  EXPECT_NE(xp["folder"].find(
                "24\tC:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup|"),
            std::string::npos);
  EXPECT_TRUE(fs::is_directory(
      folder_ + "/xp/drives/C/Documents and Settings/Bob/Start Menu/Programs/Startup"));
  auto old = InfoLines(Run("info '" + folder_ + "/98'", nullptr));
  EXPECT_EQ(old["temp"], "C:\\WINDOWS\\TEMP\\");
  EXPECT_NE(old["folder"].find("24\t|"), std::string::npos);  // Windows 98 has no common startup
  EXPECT_TRUE(fs::is_regular_file(folder_ + "/98/drives/C/WINDOWS/HOSTS"));
}

TEST_F(VexmachineTest, RegistryEditorRestoresBackupsAndRestrictionsHold) {
  int status = -1;
  Run("create '" + image_ + "' --code-page 932", &status);
  ASSERT_EQ(status, 0);
  EXPECT_EQ(InfoLines(Run("info '" + image_ + "'", &status))["code-page"], "932");
  {
    std::ofstream backup(image_ + "/drives/C/backup.reg", std::ios::binary);
    backup << "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
              "\"Helper\" = \"C:\\\\Program Files\\\\Helper\\\\helper.exe\"\r\n";
  }
  std::string output = Run("regedit '" + image_ + "' /si 'C:\\backup.reg'", &status);
  EXPECT_EQ(status, 0) << output;
  EXPECT_EQ(output, "");  // silent
  Run("regedit '" + image_ +
          "' /e 'C:\\run.reg' "
          "'HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run'",
      &status);
  ASSERT_EQ(status, 0);
  std::ifstream exported(image_ + "/drives/C/run.reg", std::ios::binary);
  std::string wide((std::istreambuf_iterator<char>(exported)), std::istreambuf_iterator<char>());
  // A version 5.00 file is UTF-16 with a byte-order mark, as the system writes it.
  ASSERT_EQ(wide.substr(0, 2), "\xFF\xFE");
  std::string text;
  for (std::size_t i = 2; i + 1 < wide.size(); i += 2) text += wide[i];
  EXPECT_NE(text.find("\"Helper\"=\"C:\\\\Program Files\\\\Helper\\\\helper.exe\"\r\n"),
            std::string::npos)
      << text;

  Run("deny '" + image_ +
          "' 'HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run'",
      &status);
  ASSERT_EQ(status, 0);
  {
    std::ofstream blocked(image_ + "/drives/C/blocked.reg", std::ios::binary);
    blocked << "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
               "\"Bad\"=\"x\"\n";
  }
  output = Run("regedit '" + image_ + "' /s 'C:\\blocked.reg'", &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(output.find("error 5"), std::string::npos) << output;
  Run("deny '" + image_ + "' 'HKEY_LOCAL_MACHINE\\NoSuchKey'", &status);
  EXPECT_EQ(status, 1);
}

TEST_F(VexmachineTest, RunsProgramsAndSendsMessages) {
  int status = -1;
  Run("create '" + image_ + "'", &status);
  ASSERT_EQ(status, 0);
  fs::create_directories(image_ + "/drives/C/Tools");
  fs::copy_file(VEXMARL_TEST_ECHO, image_ + "/drives/C/Tools/echo.exe");
  // The current folder of a program started from outside the image is the drive root.
  Run("run '" + image_ + "' 'C:\\Tools\\echo.exe' first 'second one'", &status);
  EXPECT_EQ(status, 0);
  std::ifstream report(image_ + "/drives/C/echo.txt", std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(report)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text.substr(0, text.find("machine:")),
            "C:\\Tools\\echo.exe first \"second one\"\narg:first\narg:second one\n");
  fs::remove(image_ + "/drives/C/echo.txt");
  Run("run '" + image_ + "' --cmdline 'echo.exe  /x' 'C:\\Tools\\echo.exe'", &status);
  EXPECT_EQ(status, 0);
  std::ifstream again(image_ + "/drives/C/echo.txt", std::ios::binary);
  std::getline(again, text);
  EXPECT_EQ(text, "echo.exe  /x");  // the command line exactly as given
  Run("run '" + image_ + "' nosuchprogram", &status);
  EXPECT_EQ(status, 1);

  testing_support::HelperProcess window({VEXMARL_TEST_HOLDER, image_, "window", "Demo Window"});
  ASSERT_EQ(window.Report(), "ready");
  EXPECT_EQ(Run("send '" + image_ + "' 'Demo Window' 1231 2 3", &status), "1005\n");
  EXPECT_EQ(status, 0);
  Run("send '" + image_ + "' 'No Such Window' 1231", &status);
  EXPECT_EQ(status, 1);
}

}  // namespace
