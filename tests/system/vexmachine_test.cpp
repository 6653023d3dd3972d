// The vexmachine tool as a user runs it.
#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
