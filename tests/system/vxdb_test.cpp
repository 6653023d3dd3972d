// vxdb as the author of a definitions or branding file runs it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

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

TEST(Vxdb, PacksUnpacksAndLoadsAsTheProgramWould) {
  namespace fs = std::filesystem;
  fs::path folder = fs::temp_directory_path() / "vxdb-pack-test";
  fs::create_directories(folder);
  const std::string text =
      "<NA VERSION=\"9\" DATE=\"d\">\n<SW NAME=\"A\">\n<HOSTS><HOST NAME=\"h\"/></HOSTS></SW>\n"
      "</NA>\n" +
      std::string("\0tail", 5);
  std::ofstream((folder / "in.xml").string(), std::ios::binary) << text;
  const std::string vxdb = VXDB_PROGRAM;
  const std::string in = (folder / "in.xml").string(), db = (folder / "database.db").string(),
                    out = (folder / "out.xml").string();
  int status = -1;
  RunCommand(vxdb + " pack '" + in + "' '" + db + "'", &status);
  ASSERT_EQ(status, 0);
  RunCommand(vxdb + " unpack '" + db + "' '" + out + "'", &status);
  ASSERT_EQ(status, 0);
  std::ifstream unpacked(out, std::ios::binary);
  EXPECT_EQ(
      std::string((std::istreambuf_iterator<char>(unpacked)), std::istreambuf_iterator<char>()),
      text);  // byte for byte: line ends and the zero byte stay
  std::string info = RunCommand(vxdb + " info '" + db + "'", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(info.find("version\t9\ndate\td\nentries\t1\nscripts\t0\nregistry-items\t0\n"),
            std::string::npos)
      << info;
  EXPECT_NE(info.find("hosts\t1\n"), std::string::npos);

  std::ofstream((folder / "bad.db").string(), std::ios::binary) << "\x09\x00";
  std::string error =
      RunCommand(vxdb + " info '" + (folder / "bad.db").string() + "' 2>&1", &status);
  EXPECT_EQ(status, 2);
  EXPECT_NE(error.find("shorter than its 4-byte length header"), std::string::npos) << error;
  RunCommand(vxdb + " dump '" + db + "' 2>/dev/null", &status);
  EXPECT_EQ(status, 2);  // dump needs a machine
  fs::remove_all(folder);
}

}  // namespace
