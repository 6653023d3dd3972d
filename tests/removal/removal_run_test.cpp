// Whole removal runs on a real image: the log's grouping and counters, browser pages,
// cleaning scripts run as processes, the restart offer, and removal at the next start.
#include <chrono>
#include <thread>

#include "removal/browser_repair.h"
#include "removal/cleaning_scripts.h"
#include "removal/reboot_removal.h"
#include "removal_fixture.h"
#include "support/fault_injection.h"

namespace removal {
namespace {

using scan::FoundItemKind;

constexpr const char* kMain = "Software\\Microsoft\\Internet Explorer\\Main";

class RemovalRunTest : public RemovalFixture {
 protected:
  // Installs a helper program as a script that is up to date, so that loading keeps it.
  void InstallScript(const std::string& folder, const std::string& file, const char* program) {
    InstallProgram("Program Files/Vexmarl/Scripts/" + folder + "/" + file, program);
  }
};

TEST_F(RemovalRunTest, ARunGroupsByEntryCountsAndRunsEachScriptOnce) {
  InstallScript("echo.1", "echo.exe", VEXMARL_TEST_ECHO);
  Define(R"(<SW NAME="A"><CLEANINGSCRIPTREFERENCE NAME="echo"/></SW>
            <SW NAME="B"><CLEANINGSCRIPTREFERENCE NAME="echo"/></SW>
            <SW NAME="C"><CLEANINGSCRIPTREFERENCE NAME="missing"/></SW>
            <CLEANINGSCRIPT NAME="echo" VERSION="1" REBOOT="NO"><SCRIPTFILE NAME="echo.exe">x</SCRIPTFILE></CLEANINGSCRIPT>)");
  for (const char* file : {"C:\\a1.txt", "C:\\a2.txt", "C:\\b.txt", "C:\\c.txt"})
    image_.WriteFile(file, "x");
  numbers_["TotalDeletedItems"] = 10;
  std::vector<ResultRow> rows = {
      Row(FoundItemKind::File, "C:\\a1.txt", 0), Row(FoundItemKind::File, "C:\\kept.txt", 0),
      Row(FoundItemKind::File, "C:\\a2.txt", 0), Row(FoundItemKind::File, "C:\\b.txt", 1),
      Row(FoundItemKind::File, "C:\\c.txt", 2)};
  rows[1].ticked = false;
  const RemovalOutcome outcome = removal_->RunRemoval(rows);
  EXPECT_EQ(
      log_,
      (Lines{"<SW NAME = \"A\">", "<FILE  NAME = \"C:\\a1.txt\"/>",
             "<FILE RES = \"C:\\a1.txt Successfully ReMoved\"/>", "<FILE  NAME = \"C:\\a2.txt\"/>",
             "<FILE RES = \"C:\\a2.txt Successfully ReMoved\"/>", "</SW>", "<SW NAME = \"B\">",
             "<FILE  NAME = \"C:\\b.txt\"/>", "<FILE RES = \"C:\\b.txt Successfully ReMoved\"/>",
             "</SW>", "<SW NAME = \"C\">", "<FILE  NAME = \"C:\\c.txt\"/>",
             "<FILE RES = \"C:\\c.txt Successfully ReMoved\"/>", "</SW>"}));
  EXPECT_EQ(outcome.removed, 4);
  EXPECT_FALSE(outcome.everythingRemoved);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].item.text, "C:\\kept.txt");
  EXPECT_EQ(numbers_["TotalDeletedItems"], 14u);
  EXPECT_EQ(progress_, (Lines{"text 135 11", "text 135 12", "text 135 13", "text 135 14"}));
  // The script ran once, from its folder, with the program's path in quotes.
  const std::string echo =
      image_.ReadFile(std::string(scan::kProgramFolder) + "Scripts\\echo.1\\echo.txt");
  EXPECT_NE(echo.find("arg:" + host_.programPath + "\n"), std::string::npos) << echo;
  EXPECT_NE(echo.find("folder:C:\\Program Files\\Vexmarl\\Scripts\\echo.1\n"), std::string::npos)
      << echo;
  EXPECT_TRUE(prompt_.Asked().empty());
  EXPECT_FALSE(outcome.restartRequested);
}

TEST_F(RemovalRunTest, AScriptThatAsksForARestartAndOneThatNeverEnds) {
  InstallScript("hang.2", "hang.exe", VEXMARL_DEMO_SPYWARE);
  Define(R"(<SW NAME="A"><CLEANINGSCRIPTREFERENCE NAME="hang"/></SW>
            <CLEANINGSCRIPT NAME="hang" VERSION="2" REBOOT="YES"><SCRIPTFILE NAME="hang.exe">x</SCRIPTFILE></CLEANINGSCRIPT>)");
  host_.scriptWaitMs = 300;  // the product waits 300,000 ms
  RunningProgram bystander(InstallProgram("bystander.exe", VEXMARL_DEMO_SPYWARE));
  std::vector<ResultRow> rows = {Row(FoundItemKind::File, "C:\\gone.txt")};
  prompt_.AnswerMessage(platform::IDYES);  // dialog 217
  prompt_.AnswerMessage(platform::IDOK);   // string 136
  const auto start = std::chrono::steady_clock::now();
  const RemovalOutcome outcome = removal_->RunRemoval(rows);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_TRUE(outcome.everythingRemoved);
  EXPECT_TRUE(outcome.scriptAskedRestart);
  EXPECT_TRUE(outcome.restartRequested);
  EXPECT_EQ(prompt_.Asked(), (Lines{"Vexmarl: text 217", "Vexmarl: text 136"}));
  EXPECT_EQ(closed_, 1);
  // The restart is pending and the image's programs ended (the script and the bystander).
  EXPECT_TRUE(image_.Machine().processes().RestartPending());
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_NE(kill(bystander.Pid(), 0) == 0 &&
                std::filesystem::exists("/proc/" + std::to_string(bystander.Pid()) + "/exe"),
            true);
}

TEST_F(RemovalRunTest, PendingFilesAreStoredForTheNextStartWhenThePersonAgrees) {
  Define(R"(<SW NAME="A"/>)");
  RunningProgram hook(InstallProgram("hook.dll", VEXMARL_DEMO_SPYWARE));
  image_.WriteFile("C:\\other.txt", "x");
  std::vector<ResultRow> rows = {Row(FoundItemKind::File, "C:\\hook.dll"),
                                 Row(FoundItemKind::File, "C:\\other.txt")};
  prompt_.AnswerMessage(platform::IDCANCEL);  // the pending-files dialog, declined
  removal_->RunRemoval(rows);
  EXPECT_EQ(prompt_.Asked(), (Lines{"Vexmarl: text 174\r\nC:\\hook.dll"}));
  EXPECT_EQ(numbers_.count("StartUpDeleteCount"), 0u);

  image_.WriteFile("C:\\more.txt", "x");
  rows = {Row(FoundItemKind::File, "C:\\more.txt")};
  prompt_.AnswerMessage(platform::IDOK);  // agreed: stored, then two notices
  prompt_.AnswerMessage(platform::IDOK);
  prompt_.AnswerMessage(platform::IDOK);
  const RemovalOutcome outcome = removal_->RunRemoval(rows);
  EXPECT_TRUE(outcome.restartRequested);
  // The list is kept for the engine's life, so the earlier file is offered again.
  EXPECT_EQ(prompt_.Asked(),
            (Lines{"Vexmarl: text 174\r\nC:\\hook.dll", "Vexmarl: text 174\r\nC:\\hook.dll",
                   "Vexmarl: text 182 0", "Vexmarl: text 183"}));
  EXPECT_EQ(numbers_["StartUpDeleteCount"], 1u);
  EXPECT_EQ(texts_["StartUpDelete0"], "C:\\hook.dll");
  platform::HKEY key;
  ASSERT_EQ(image_.Machine().registry().RegOpenKeyExA(platform::HKEY_LOCAL_MACHINE, kRunOnceKey, 0,
                                                      platform::KEY_READ, &key),
            platform::ERROR_SUCCESS);
  auto values = platform::ReadKeyValues(image_.Machine().registry(), key);
  image_.Machine().registry().RegCloseKey(key);
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].name.rfind("Vexmarl", 0), 0u);
  EXPECT_GT(values[0].name.size(), 7u);
  EXPECT_EQ(values[0].data, std::string("\"C:\\Program Files\\Vexmarl\\Vexmarl.exe\" -b") + '\0');
  EXPECT_EQ(closed_, 1);
}

TEST_F(RemovalRunTest, TheNextStartDeletesTheStoredFiles) {
  Define(R"(<SW NAME="A"/>)");
  RunningProgram holder(InstallProgram("held.exe", VEXMARL_DEMO_SPYWARE));
  image_.WriteFile("C:\\plain.txt", "x");
  RunningProgram stubborn(InstallProgram("stubborn.dll", VEXMARL_DEMO_SPYWARE));
  numbers_["StartUpDeleteCount"] = 4;
  texts_["StartUpDelete0"] = "C:\\plain.txt";
  texts_["StartUpDelete1"] = "C:\\no longer there.txt";
  texts_["StartUpDelete2"] = "C:\\held.exe";
  texts_["StartUpDelete3"] = "C:\\WINDOWS";  // a folder: it cannot be deleted as a file
  const RebootReport report = ProcessRebootDeletion(image_.Machine(), host_, engine_->Processes());
  EXPECT_EQ(log_,
            (Lines{"<Reboot>", "<FILE NAME = \"C:\\plain.txt\" RES = \"Successfully Removed\"/>",
                   "<FILE NAME = \"C:\\held.exe\" RES = \"Successfully Removed on Reboot\"/>",
                   "<FILE NAME = \"C:\\WINDOWS\" RES = \"Not Removed Access is denied.\"/>",
                   "</Reboot>"}));
  EXPECT_EQ(report.removed, 2);
  EXPECT_EQ(report.notRemoved, 1);
  EXPECT_FALSE(image_.Files().PathFileExistsA("C:\\held.exe"));
  // Processed once: a later "-b" deletes nothing.
  EXPECT_EQ(numbers_["StartUpDeleteCount"], 0u);
  log_.clear();
  ProcessRebootDeletion(image_.Machine(), host_, engine_->Processes());
  EXPECT_EQ(log_, (Lines{"<Reboot>", "</Reboot>"}));
}

TEST_F(RemovalRunTest, TheHostsEntriesOfARunGoInOneRewriteAndEachLogsItsResult) {
  Define(R"(<SW NAME="A"/><SW NAME="B"/>)");
  const std::string windows = "C:\\WINDOWS\\hosts", etc = "C:\\WINDOWS\\system32\\drivers\\etc\\hosts",
                    etcNew = etc + ".new";
  // CR LF and LF lines, tabs, IPv6, comments, loopback lines, last lines without a line end.
  const std::string untouched = "10.0.0.2 other.example\n9.9.9.9 Ads.Example";
  auto writeFiles = [&] {
    image_.WriteFile(etc,
                     "# hosts\r\n127.0.0.1\tads.example\n0.0.0.0\tads.example\r\n::1 localhost\n"
                     "fe80::1\ttrack.example\r\n10.0.0.1 keep.example\n# via track.example\r\n"
                     "1.2.3.4 last.example");
    image_.WriteFile(windows, "5.6.7.8 spy.example\r\n1.2.3.4 keep.example");
    image_.WriteFile(etcNew, untouched);
  };
  writeFiles();
  image_.WriteFile("C:\\a.txt", "x");
  engine_->Hosts().BuildHostsFileSet();
  std::vector<ResultRow> rows = {Row(FoundItemKind::HostsEntry, "ads.example", 0),
                                 Row(FoundItemKind::File, "C:\\a.txt", 0),
                                 Row(FoundItemKind::HostsEntry, "track.example", 0),
                                 Row(FoundItemKind::HostsEntry, "keep.example", 1),
                                 Row(FoundItemKind::HostsEntry, "spy.example", 1),
                                 Row(FoundItemKind::HostsEntry, "last.example", 1),
                                 Row(FoundItemKind::HostsEntry, "absent.example", 1)};
  rows[3].ticked = false;
  const RemovalOutcome outcome = removal_->RunRemoval(rows);
  EXPECT_EQ(log_, (Lines{"<SW NAME = \"A\">",
                         "<HOST NAME = \"ads.example\" RESULT = \"Successfully Removed\" />",
                         "<FILE  NAME = \"C:\\a.txt\"/>",
                         "<FILE RES = \"C:\\a.txt Successfully ReMoved\"/>",
                         "<HOST NAME = \"track.example\" RESULT = \"Successfully Removed\" />",
                         "</SW>", "<SW NAME = \"B\">",
                         "<HOST NAME = \"spy.example\" RESULT = \"Successfully Removed\" />",
                         "<HOST NAME = \"last.example\" RESULT = \"Successfully Removed\" />",
                         "<HOST NAME = \"absent.example\" RESULT = \"Successfully Removed\" />",
                         "</SW>"}));
  EXPECT_EQ(outcome.removed, 6);
  // Each kept line keeps its own line end; the unticked entry's line stays.
  EXPECT_EQ(image_.ReadFile(etc),
            "# hosts\r\n127.0.0.1\tads.example\n::1 localhost\n10.0.0.1 keep.example\n");
  EXPECT_EQ(image_.ReadFile(windows), "1.2.3.4 keep.example");
  EXPECT_EQ(image_.ReadFile(etcNew), untouched);
  // The same as one rewrite per entry leaves (items removed one by one, outside a run).
  const Lines once = {image_.ReadFile(windows), image_.ReadFile(etc), image_.ReadFile(etcNew)};
  writeFiles();
  for (const char* text : {"ads.example", "track.example", "spy.example", "last.example"})
    removal_->RemoveItem(Item(FoundItemKind::HostsEntry, text));
  EXPECT_EQ(once, (Lines{image_.ReadFile(windows), image_.ReadFile(etc), image_.ReadFile(etcNew)}));
}

TEST_F(RemovalRunTest, AHostsFileThatCannotBeReadLeavesEveryEntryOfTheRunNotRemoved) {
  Define(R"(<SW NAME="A"/>)");
  const std::string etc = "C:\\WINDOWS\\system32\\drivers\\etc\\hosts";
  const std::string old = "1.2.3.4 one.example\r\n1.2.3.4 two.example\r\n";
  image_.WriteFile(etc, old);
  engine_->Hosts().BuildHostsFileSet();
  std::vector<ResultRow> rows = {Row(FoundItemKind::HostsEntry, "one.example"),
                                 Row(FoundItemKind::HostsEntry, "two.example")};
  {
    testing_support::FaultInjection failing(1, EIO, testing_support::kReads);
    removal_->RunRemoval(rows);
    EXPECT_TRUE(failing.Hit());
  }
  EXPECT_EQ(log_, (Lines{"<SW NAME = \"A\">",
                         "<HOST NAME = \"one.example\" RESULT = \"NOT Removed\" />",
                         "<HOST NAME = \"two.example\" RESULT = \"NOT Removed\" />", "</SW>"}));
  EXPECT_EQ(image_.ReadFile(etc), old);
}

TEST_F(RemovalRunTest, BrowserPagesAreSetBackAsTheUserStoredThem) {
  Define(R"(<SW NAME="A"/>)");
  WriteRegistryText("[HKEY_CURRENT_USER\\" + std::string(kMain) +
                    "]\r\n\"Start Page\"=\"http://EXAMPLE.test/home.html\"\r\n"
                    "\"Search Page\"=\"http://spy.example/\"\r\n"
                    "[HKEY_LOCAL_MACHINE\\" +
                    std::string(kMain) +
                    "]\r\n\"Start Page\"=\"http://spy.example/\"\r\n\"Search Page\"=-\r\n");
  EnforceBrowserPages(image_.Machine(), {"http://example.test/Home.html", ""});
  // A page that differs only in case stays; the others become the settings as stored.
  EXPECT_EQ(ValueOf(platform::HKEY_CURRENT_USER, kMain, "Start Page"),
            std::string("http://EXAMPLE.test/home.html\0", 30));
  EXPECT_EQ(ValueOf(platform::HKEY_CURRENT_USER, kMain, "Search Page"), std::string(1, '\0'));
  EXPECT_EQ(ValueOf(platform::HKEY_LOCAL_MACHINE, kMain, "Start Page"),
            std::string("http://example.test/Home.html\0", 30));
  EXPECT_EQ(ValueOf(platform::HKEY_LOCAL_MACHINE, kMain, "Search Page"), "<none>");
}

TEST_F(RemovalRunTest, ChangedValuesAreWrittenBackUnderTheRootsWhereTheyExist) {
  Define(R"(<SW NAME="A"><REGVALUESCHANGED>
      <REGVALUECHANGED NAME="Software\Microsoft\Internet Explorer\Main\Search Page" OLDVALUE="http://spy/" NEWVALUE="%SearchPage%"/>
      <REGVALUECHANGED NAME="Software\Spy\Literal" OLDVALUE="x" NEWVALUE="see %SearchPage%"/>
      <REGVALUECHANGED NAME="Software\Spy\Number" OLDVALUE="1" NEWVALUE="0"/>
    </REGVALUESCHANGED></SW>)");
  texts_["Searchpage"] = "http://search.example/";
  WriteRegistryText("[HKEY_LOCAL_MACHINE\\" + std::string(kMain) +
                    "]\r\n\"Search Page\"=\"http://spy/\"\r\n"
                    "[HKEY_CURRENT_USER\\" +
                    std::string(kMain) +
                    "]\r\n\"Search Page\"=-\r\n"
                    "[HKEY_CURRENT_USER\\Software\\Spy]\r\n\"Literal\"=hex(2):78,00\r\n"
                    "\"Number\"=dword:00000001\r\n"
                    "[HKEY_LOCAL_MACHINE\\Software\\Spy]\r\n\"Number\"=dword:00000001\r\n");
  const auto& traces = Entry(0).changedValues;
  BrowserPages pages{"", "http://search.example/"};
  auto log = [this](const std::string& line) { log_.push_back(line); };
  RepairChangedValue(image_.Machine(), traces[0], pages, log);
  EXPECT_EQ(log_, (Lines{"<REGVALUE RES = \"Register Values Successfully Changed\"/>"}));
  EXPECT_EQ(ValueOf(platform::HKEY_LOCAL_MACHINE, kMain, "Search Page"), "http://search.example/");
  EXPECT_EQ(ValueOf(platform::HKEY_CURRENT_USER, kMain, "Search Page"), "<none>");  // not made
  RepairChangedValue(image_.Machine(), traces[1], pages, log);
  EXPECT_EQ(ValueOf(platform::HKEY_CURRENT_USER, "Software\\Spy", "Literal"), "see %SearchPage%");
  RepairChangedValue(image_.Machine(), traces[2], pages, log);
  EXPECT_EQ(ValueOf(platform::HKEY_CURRENT_USER, "Software\\Spy", "Number"), std::string(4, '\0'));
  EXPECT_EQ(ValueOf(platform::HKEY_LOCAL_MACHINE, "Software\\Spy", "Number"), std::string(4, '\0'));
  EXPECT_EQ(log_.size(), 4u);
  // The removal of a changed-value item repairs every definition the scan found; with one
  // definition only, that one.
  log_.clear();
  database_.Entries()[0]->changedValues[2].found = true;
  removal_->RemoveItem(Item(FoundItemKind::ChangedRegistryValue, "x"));
  EXPECT_EQ(log_, (Lines{"<REGVALUE RES = \"Deleting Register Value Changed\" />",
                         "<REGVALUE RES = \"Register Values Successfully Changed\"/>",
                         "<REGVALUE RES = \"Register Values Successfully Changed\"/>"}));
}

}  // namespace
}  // namespace removal
