// A scan run's frame and its registry phases on a real image.
#include "scan_fixture.h"

namespace scan {
namespace {

using Lines = std::vector<std::string>;

class ScanRunTest : public ScanFixture {};

TEST_F(ScanRunTest, AllOptionsOffLogsAnEmptyScanningElementAndEnds) {
  Define(R"(<SW NAME="A"><REGKEYS><REGKEY NAME="Software\A"/></REGKEYS></SW>)");
  engine_->RunScan();
  ASSERT_EQ(log_.size(), 2u);
  EXPECT_EQ(log_[0].rfind("<Scanning TIME = \"", 0), 0u);
  EXPECT_EQ(log_[1], "</Scanning>\n");
  EXPECT_EQ(engine_->Counters().objectsExamined, 0);
  EXPECT_EQ(engine_->Counters().itemsFound, 0);
  EXPECT_EQ(ended_, 1);
  EXPECT_TRUE(engine_->Finished());
  EXPECT_FALSE(texts_["LastScanTime"].empty());
  EXPECT_EQ(engine_->GetPhaseText(), "text 124");
  EXPECT_EQ(engine_->GetItemText(), "text 120");
}

TEST_F(ScanRunTest, FoundItemsAreUniqueByKindAndTextWithoutCase) {
  Define(R"(<SW NAME="A"/><SW NAME="B"/>)");
  EXPECT_TRUE(engine_->AddFoundItem("C:\\Spy.exe", Entry(0), FoundItemKind::File));
  EXPECT_FALSE(engine_->AddFoundItem("c:\\SPY.EXE", Entry(1), FoundItemKind::File));
  EXPECT_TRUE(engine_->AddFoundItem("c:\\spy.exe", Entry(0), FoundItemKind::Folder));
  FoundItem ignored{false, "software\\a", &Entry(1), FoundItemKind::RegistryKey};
  engine_->Ignored().Add(ignored);
  EXPECT_TRUE(engine_->AddFoundItem("SOFTWARE\\A", Entry(0), FoundItemKind::RegistryKey));
  EXPECT_EQ(engine_->Counters().itemsFound, 3);
  EXPECT_EQ(engine_->Counters().itemsIgnored, 1);
  EXPECT_EQ(engine_->Counters().itemsListed, 2);
  EXPECT_EQ(engine_->AllFound().size(), 3u);
  EXPECT_EQ(listed_, (Lines{"C:\\Spy.exe", "c:\\spy.exe"}));
  EXPECT_EQ(log_, (Lines{"<FILE PATH = \"A C:\\Spy.exe\"/>", "<FOLDER PATH = \"A c:\\spy.exe\"/>",
                         "<REGKEY NAME = \"A SOFTWARE\\A\"/>"}));
}

TEST_F(ScanRunTest, AbortInTheFirstPhaseEndsEveryPhaseAtOnce) {
  WriteRegistryText("[HKEY_LOCAL_MACHINE\\Software\\A]\r\n");
  Define(R"(<SW NAME="A"><REGKEYS><REGKEY NAME="Software\A"/></REGKEYS></SW>)");
  numbers_ = {{"Cust_Scan_Active", 1}, {"Cust_Scan_Registry", 1}, {"Cust_Scan_IEFAV", 1},
              {"Cust_Scan_Hosts", 1},  {"Cust_Scan_Drives", 1},   {"Cust_Scan_Drives_Num", 1}};
  texts_["Cust_Scan_Drives_1"] = "C:\\";
  onRead_ = [this](const char* name) {
    if (std::string(name) == "Cust_Scan_Active") engine_->AbortScan();
  };
  engine_->RunScan();
  EXPECT_EQ(engine_->Counters().itemsFound, 0);
  EXPECT_EQ(engine_->GetPhaseText(), "text 119");
  EXPECT_EQ(log_.back(), "</Scanning>\n");
  EXPECT_EQ(LogBetween("<ScanningRegKeys>", "</ScanningRegKeys>"),
            (Lines{"<ScanningRegKeys>", "</ScanningRegKeys>"}));
  EXPECT_EQ(ended_, 1);
}

TEST_F(ScanRunTest, KeysAreLookedForUnderEveryRootAndValuesNotUnderUsers) {
  WriteRegistryText(
      "[HKEY_USERS\\S-1-5-21-9\\Software\\OnlyUsers]\r\n\"Tracker\"=\"on\"\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Spy]\r\n");
  Define(R"(<SW NAME="A"><REGKEYS><REGKEY NAME="S-1-5-21-9\Software\OnlyUsers"/>
              <REGKEY NAME="Software\Spy"/><REGKEY NAME="Software\Spy"/></REGKEYS>
              <REGVALUES><REGVALUE NAME="S-1-5-21-9\Software\OnlyUsers\Tracker"/></REGVALUES></SW>)");
  numbers_["Cust_Scan_Registry"] = 1;
  engine_->RunScan();
  EXPECT_EQ(
      LogBetween("<ScanningRegKeys>", "</ScanningRegKeys>"),
      (Lines{"<ScanningRegKeys>", "<SW NAME = \"A\">",
             "<REGKEYFOUND NAME = \"s-1-5-21-9\\software\\onlyusers\"/>",
             "<REGKEY NAME = \"A s-1-5-21-9\\software\\onlyusers\"/>",
             "<REGKEYFOUND NAME = \"software\\spy\"/>", "<REGKEY NAME = \"A software\\spy\"/>",
             "<REGKEYFOUND NAME = \"software\\spy\"/>", "</SW>", "</ScanningRegKeys>"}));
  EXPECT_EQ(engine_->Counters().keysAndHostsFound, 2);
  EXPECT_EQ(engine_->Counters().valuesFound, 0);
  EXPECT_TRUE(Entry(0).registryKeys[0].found);
  EXPECT_FALSE(Entry(0).registryValues[0].found);
}

TEST_F(ScanRunTest, ValueDataMatchesLowerCasedAndAfterPercentDecoding) {
  WriteRegistryText(
      "[HKEY_CURRENT_USER\\Software\\V]\r\n\"Url\"=\"http%3A%2F%2Fspy.example%2F\"\r\n"
      "\"Rate\"=\"50%zz\"\r\n\"Any\"=dword:00000007\r\n\"Caps\"=\"evil.exe\"\r\n"
      "\"Other\"=\"harmless\"\r\n");
  Define(R"(<SW NAME="A"><REGVALUES>
      <REGVALUE NAME="Software\V\Url:@:http://spy.example/"/>
      <REGVALUE NAME="Software\V\Rate:@:50zz"/>
      <REGVALUE NAME="Software\V\Any"/>
      <REGVALUE NAME="Software\V\Caps:@:EVIL.EXE"/>
      <REGVALUE NAME="Software\V\Other:@:evil"/></REGVALUES></SW>)");
  const auto& values = Entry(0).registryValues;
  EXPECT_TRUE(engine_->RegistryValueMatches(values[0]));
  EXPECT_TRUE(engine_->RegistryValueMatches(values[1]));
  EXPECT_TRUE(engine_->RegistryValueMatches(values[2]));
  EXPECT_TRUE(engine_->RegistryValueMatches(values[3]));
  EXPECT_FALSE(engine_->RegistryValueMatches(values[4]));
  EXPECT_EQ(DecodePercentEscapes("50%zz%4"), "50zz4");
  EXPECT_EQ(DecodePercentEscapes("ab%"), "ab");
  EXPECT_EQ(DecodePercentEscapes("%41%6a"), "Aj");

  numbers_["Cust_Scan_Registry"] = 1;
  engine_->RunScan();
  EXPECT_EQ(listed_, (Lines{"software\\v\\url:@:http://spy.example/", "software\\v\\rate:@:50zz",
                            "software\\v\\any", "software\\v\\caps:@:evil.exe"}));
}

TEST_F(ScanRunTest, SubstringFormOfAChangedValueTakesTheDataItWasFoundWith) {
  WriteRegistryText(
      "[HKEY_CURRENT_USER\\Software\\Main]\r\n\"Start Page\"=\"http://WWW.BadSearch.example/q\"\r\n"
      "\"Flags\"=dword:00000105\r\n\"High\"=dword:00000080\r\n");
  Define(R"(<SW NAME="A"><REGVALUESCHANGED>
      <REGVALUECHANGED NAME="Software\Main\Start Page" OLDVALUE="~~~badsearch" NEWVALUE="about:blank"/>
      <REGVALUECHANGED NAME="Software\Main\Flags" OLDVALUE="5" NEWVALUE="0"/>
      <REGVALUECHANGED NAME="Software\Main\High" OLDVALUE="128" NEWVALUE="0"/>
      </REGVALUESCHANGED></SW>)");
  auto& changed = database_.Entries()[0]->changedValues;
  EXPECT_TRUE(engine_->ChangedValueMatches(changed[0]));
  EXPECT_EQ(changed[0].lowerOldValue, "http://www.badsearch.example/q");
  EXPECT_EQ(changed[0].oldValue, "http://www.badsearch.example/q");
  EXPECT_EQ(changed[0].fullText, "software\\main\\start page\\http://www.badsearch.example/q");
  EXPECT_TRUE(engine_->ChangedValueMatches(changed[1]));   // lowest byte 5 against 0x05
  EXPECT_FALSE(engine_->ChangedValueMatches(changed[2]));  // 128 never matches a signed byte
}

TEST_F(ScanRunTest, HitsAreGroupedByEntryAsTheyCome) {
  WriteRegistryText(
      "[HKEY_LOCAL_MACHINE\\Software\\K1]\r\n[HKEY_LOCAL_MACHINE\\Software\\K2]\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\K3]\r\n");
  Define(
      R"(<SW NAME="A"><REGKEYS><REGKEY NAME="Software\K1"/><REGKEY NAME="Software\K2"/></REGKEYS></SW>
            <SW NAME="B"><REGKEYS><REGKEY NAME="Software\K3"/><REGKEY NAME="Software\Missing"/></REGKEYS></SW>
            <SW NAME="A"><REGKEYS><REGKEY NAME="Software\K1"/></REGKEYS></SW>)");
  numbers_["Cust_Scan_Registry"] = 1;
  engine_->RunScan();
  Lines groups;
  for (const std::string& line : LogBetween("<ScanningRegKeys>", "</ScanningRegKeys>"))
    if (line.rfind("<SW", 0) == 0 || line == "</SW>") groups.push_back(line);
  EXPECT_EQ(groups, (Lines{"<SW NAME = \"A\">", "</SW>", "<SW NAME = \"B\">", "</SW>",
                           "<SW NAME = \"A\">", "</SW>"}));
  EXPECT_EQ(LogBetween("<ScanningRegValues>", "</ScanningRegValues>"),
            (Lines{"<ScanningRegValues>", "</ScanningRegValues>"}));
  EXPECT_FALSE(Entry(1).registryKeys[1].found);
  EXPECT_EQ(Entry(1).found, 1);
}

}  // namespace
}  // namespace scan
