// Installing the cleaning scripts of the definitions into the program's Scripts folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "definitions/loader_support.h"

namespace definitions {
namespace {

namespace fs = std::filesystem;
using testing_support::TempImage;

std::string Script(const std::string& version, const std::string& children) {
  return "<NA><SW NAME=\"S\"/><CLEANINGSCRIPT NAME=\"fixer\" VERSION=\"" + version + "\">" +
         children + "</CLEANINGSCRIPT></NA>";
}

TEST(ScriptInstaller, WritesVersionedFoldersAndReplacesOtherVersions) {
  TempImage image("xp");
  DefinitionDatabase database;
  const std::string scripts = "Program Files/Vexmarl/Scripts/";
  ASSERT_TRUE(LoadText(image, database,
                       Script("3",
                              "<DATAFILE NAME=\"early.txt\">no</DATAFILE>"
                              "<SCRIPTFILE NAME=\"fix.reg\"><![CDATA[\r\n\r\nREGEDIT4\r\n]]>"
                              "</SCRIPTFILE><DATAFILE NAME=\"data.txt\">d</DATAFILE>")));
  ASSERT_EQ(database.Scripts().size(), 1u);
  EXPECT_EQ(database.Scripts()[0].scriptFile, "fix.reg");
  EXPECT_EQ(image.ReadFile("C:\\Program Files\\Vexmarl\\Scripts\\fixer.3\\fix.reg"),
            "REGEDIT4\r\n");
  EXPECT_EQ(image.ReadFile("C:\\Program Files\\Vexmarl\\Scripts\\fixer.3\\data.txt"), "d");
  EXPECT_FALSE(fs::exists(image.HostPath(scripts + "fixer.3/early.txt")));  // before SCRIPTFILE

  // The same version writes nothing: a change made meanwhile stays.
  image.WriteHostFile(scripts + "fixer.3/data.txt", "changed");
  ASSERT_TRUE(LoadText(image, database,
                       Script("3",
                              "<SCRIPTFILE NAME=\"fix.reg\">new</SCRIPTFILE>"
                              "<DATAFILE NAME=\"data.txt\">d</DATAFILE>")));
  EXPECT_EQ(image.ReadFile("C:\\Program Files\\Vexmarl\\Scripts\\fixer.3\\data.txt"), "changed");
  EXPECT_EQ(database.Scripts()[0].scriptFile, "fix.reg");

  // Another version removes the old folder first.
  ASSERT_TRUE(
      LoadText(image, database, Script("4", "<SCRIPTFILE NAME=\"fix.bat\">@echo</SCRIPTFILE>")));
  EXPECT_FALSE(fs::exists(image.HostPath(scripts + "fixer.3")));
  EXPECT_EQ(image.ReadFile("C:\\Program Files\\Vexmarl\\Scripts\\fixer.4\\fix.bat"), "@echo");
}

TEST(ScriptInstaller, NamesThatWouldLeaveTheFolderAreRefused) {
  TempImage image("xp");
  image.WriteHostFile("Program Files/Vexmarl/keep.txt", "keep");
  DefinitionDatabase database;
  ASSERT_TRUE(LoadText(image, database,
                       Script("1",
                              "<SCRIPTFILE NAME=\"..\\..\\evil.exe\">x</SCRIPTFILE>"
                              "<DATAFILE NAME=\"C:\\boot.ini\">x</DATAFILE>"
                              "<DATAFILE NAME=\"..\">x</DATAFILE>"
                              "<DATAFILE NAME=\"ok.txt\">fine</DATAFILE>")));
  EXPECT_FALSE(fs::exists(image.HostPath("Program Files/evil.exe")));
  EXPECT_FALSE(fs::exists(image.HostPath("boot.ini")));
  EXPECT_EQ(image.ReadFile("C:\\Program Files\\Vexmarl\\Scripts\\fixer.1\\ok.txt"), "fine");
  // A script whose own name leads out of the Scripts folder is not installed at all, and
  // nothing outside is touched.
  ASSERT_TRUE(LoadText(image, database,
                       "<NA><CLEANINGSCRIPT NAME=\"..\\..\\keep\" VERSION=\"txt\"><SCRIPTFILE "
                       "NAME=\"a.bat\">x</SCRIPTFILE></CLEANINGSCRIPT></NA>"));
  EXPECT_TRUE(database.Scripts().empty());
  EXPECT_EQ(image.ReadFile("C:\\Program Files\\Vexmarl\\keep.txt"), "keep");
}

}  // namespace
}  // namespace definitions
