// Folder walks, spyware-folder sweeps and the file table lookups on a real image.
#include "scan_fixture.h"

namespace scan {
namespace {

using Lines = std::vector<std::string>;

class FileScanTest : public ScanFixture {};

TEST_F(FileScanTest, BareNamesMatchOnlyInADriveRootAndSizesMustAgree) {
  image_.WriteHostFile("spy.ini", "x");
  image_.WriteHostFile("sub/spy.ini", "x");
  image_.WriteHostFile("WINDOWS/big.tmp", std::string(1234, 'a'));
  image_.WriteHostFile("WINDOWS/bigger.tmp", std::string(1235, 'a'));
  Define(R"(<SW NAME="A"><FILES><FILE NAME="spy.ini"/>
              <FILE PATH="%windir%\big*.tmp" SIZE="1234"/></FILES></SW>)");
  EXPECT_NE(engine_->LookupFile("C:\\spy.ini"), nullptr);
  EXPECT_NE(engine_->LookupFile("D:\\spy.ini"), nullptr);  // drive letters take no part
  EXPECT_EQ(engine_->LookupFile("C:\\sub\\spy.ini"), nullptr);
  EXPECT_NE(engine_->LookupFile("C:\\WINDOWS\\big.tmp"), nullptr);
  EXPECT_EQ(engine_->LookupFile("C:\\WINDOWS\\bigger.tmp"), nullptr);
  EXPECT_EQ(engine_->FileSize("C:\\WINDOWS\\bigger.tmp"), 1235u);
  EXPECT_EQ(engine_->FileSize("C:\\WINDOWS\\none.tmp"), 0u);
}

TEST_F(FileScanTest, ShortAndLongFormsMeet) {
  image_.WriteHostFile("Program Files/Long Spyware Name/tracker.exe", "x");
  Define(R"(<SW NAME="A"><FILES>
              <FILE NAME="%programfiles%\Long Spyware Name\tracker.exe"/></FILES></SW>)");
  const std::string shortPath =
      engine_->ShortPath("C:\\Program Files\\Long Spyware Name\\tracker.exe");
  ASSERT_NE(shortPath.find('~'), std::string::npos);
  EXPECT_NE(engine_->LookupFile(shortPath), nullptr);
  EXPECT_NE(engine_->LookupFile("C:\\Program Files\\Long Spyware Name\\tracker.exe"), nullptr);
  EXPECT_EQ(engine_->ShortPath("C:\\missing\\file.txt"), "C:\\missing\\file.txt");
}

TEST_F(FileScanTest, ASpywareFolderIsSweptWholeAndTheWalkAddsNothingTwice) {
  image_.WriteHostFile("Spy/one.dat", "1");
  image_.WriteHostFile("Spy/two.dat", "2");
  image_.WriteHostFile("Spy/Sub/three.dat", "3");
  Define(R"(<SW NAME="A"><DIRECTORIES><DIR NAME="C:\Spy"/></DIRECTORIES></SW>)");
  engine_->ScanSpywareFolders();
  EXPECT_EQ(engine_->Counters().foldersFound, 2);
  EXPECT_EQ(engine_->Counters().filesFound, 3);
  EXPECT_EQ(log_.size(), 5u);
  for (const std::string& line : log_)
    EXPECT_TRUE(line.rfind("<FOLDER PATH = \"A ", 0) == 0 ||
                line.rfind("<FILE PATH = \"A ", 0) == 0)
        << line;
  EXPECT_EQ(engine_->LookupDirectory("c:\\spy"), &Entry(0));
  EXPECT_EQ(engine_->LookupDirectory("C:\\Elsewhere"), nullptr);
}

TEST_F(FileScanTest, WalkingARootWithoutDescentSeesOnlyItsEntries) {
  image_.WriteHostFile("top.ini", "x");
  image_.WriteHostFile("deep/down/top.ini", "x");
  Define(
      R"(<SW NAME="A"><FILES><FILE NAME="top.ini"/><FILE NAME="C:\deep\down\top.ini"/></FILES></SW>)");
  engine_->WalkFolder("C:\\", true);
  EXPECT_EQ(listed_, (Lines{"C:\\top.ini"}));
  EXPECT_EQ(log_, (Lines{"<FILE PATH = \"A C:\\top.ini\"/>", "<FILE PATH = \"C:\\top.ini\"/>"}));
  engine_->WalkFolder("C:\\\\", false);  // trailing backslashes are dropped before "\*.*"
  EXPECT_EQ(listed_, (Lines{"C:\\top.ini", "C:\\deep\\down\\top.ini"}));
}

TEST_F(FileScanTest, TheDrivePhaseWalksTheStoredFoldersOnly) {
  image_.WriteHostFile("a/spy.dat", "x");
  Define(R"(<SW NAME="A"><FILES><FILE NAME="C:\a\spy.dat"/></FILES></SW>)");
  numbers_["Cust_Scan_Drives"] = 1;
  engine_->RunScan();  // no folder count stored: nothing walked
  EXPECT_EQ(engine_->Counters().objectsExamined, 0);
  numbers_["Cust_Scan_Drives_Num"] = 1;
  texts_["Cust_Scan_Drives_1"] = "C:\\a";
  engine_->RunScan();
  EXPECT_EQ(listed_, (Lines{"C:\\a\\spy.dat"}));
  EXPECT_EQ(engine_->Counters().filesFound, 1);
}

}  // namespace
}  // namespace scan
