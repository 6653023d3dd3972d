// vxdb as the author of a definitions or branding file runs it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/temp_image.h"

namespace {

using testing_support::RunCommand;

std::string Check(const std::string& content, int* status) {
  std::string path = (std::filesystem::temp_directory_path() / "vxdb-check-test.xml").string();
  std::ofstream(path, std::ios::binary) << content;
  std::string output = RunCommand(std::string(VXDB_PROGRAM) + " check '" + path + "'", status);
  std::filesystem::remove(path);
  return output;
}

TEST(Vxdb, CheckNamesTheParsersError) {
  int status = -1;
  EXPECT_EQ(Check("<A><B/></A>", &status), "well-formed\n");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(Check("<A></B>", &status), "End tag does not correspond to A\n");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(Check("", &status), "No element found\n");
  EXPECT_EQ(status, 1);
  RunCommand(std::string(VXDB_PROGRAM) + " check /no/such/file 2>/dev/null", &status);
  EXPECT_EQ(status, 2);
}

TEST(Vxdb, TheShippedBrandingFileIsWellFormed) {
  int status = -1;
  EXPECT_EQ(RunCommand(std::string(VXDB_PROGRAM) + " check '" VEXMARL_DATA_FOLDER "/settings.xml'",
                       &status),
            "well-formed\n");
}

}  // namespace
