// The removal engine on a real image with real processes: each kind of item, the order of
// attempts on a file, the whole "Removal" block of a run, and what must never be touched.
#include <signal.h>

#include "removal_fixture.h"

namespace removal {
namespace {

using scan::FoundItemKind;
using testing_support::HelperProcess;

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class RemovalEngineTest : public RemovalFixture {
 protected:
  void SetUp() override { Define(R"(<SW NAME="Spy"/><SW NAME="Other"/>)"); }
};

TEST_F(RemovalEngineTest, FilesGoInTheirFixedOrderOfAttempts) {
  // A file that is gone: only its name line, but its autorun value still goes.
  WriteRegistryText("[HKEY_LOCAL_MACHINE\\" + std::string(kRunKey) +
                    "]\r\n\"gone\"=\"C:\\\\gone.exe /start\"\r\n");
  removal_->RemoveItem(Item(FoundItemKind::File, "C:\\gone.exe"));
  // A read-only file goes at the second attempt.
  image_.WriteFile("C:\\locked.txt", "x");
  image_.Files().SetFileAttributesA("C:\\locked.txt", platform::FILE_ATTRIBUTE_READONLY);
  removal_->RemoveItem(Item(FoundItemKind::File, "C:\\locked.txt"));
  EXPECT_EQ(log_, (Lines{"<FILE  NAME = \"C:\\gone.exe\"/>",
                         "<REGVALUE NAME = \"HKEY_LOCAL_MACHINE\\" + std::string(kRunKey) +
                             "\" VALUE = \"gone\" RES = \"Removed from Registry\"/>",
                         "<FILE  NAME = \"C:\\locked.txt\"/>",
                         "<FILE RES = \"C:\\locked.txt Successfully ReMoved\"/>"}));
  EXPECT_FALSE(image_.Files().PathFileExistsA("C:\\locked.txt"));
  EXPECT_TRUE(engine_->PendingDeleteList().empty());
}

TEST_F(RemovalEngineTest, AProgramInUseIsEndedAndDeletedAtTheThirdAttempt) {
  InstallProgram("Spy/spy.exe", VEXMARL_DEMO_SPYWARE);
  RunningProgram spy(image_.HostPath("Spy/spy.exe"));
  ASSERT_FALSE(image_.Files().DeleteFileA("C:\\Spy\\spy.exe"));  // it runs
  EXPECT_TRUE(removal_->RemoveFile("C:\\Spy\\spy.exe", ""));
  EXPECT_EQ(log_, (Lines{"<PROCESS RES = \"Process Removed\" NAME = \"C:\\Spy\\spy.exe\"/>",
                         "<FILE RES = \"Successfully ReMoved\"/>"}));
  EXPECT_FALSE(image_.Files().PathFileExistsA("C:\\Spy\\spy.exe"));
}

TEST_F(RemovalEngineTest, AFileThatResistsWaitsForARestartUnlessAScriptCleansIt) {
  // A program file of a running process cannot be deleted, and a ".dll" ends no process.
  InstallProgram("Spy/hook.dll", VEXMARL_DEMO_SPYWARE);
  RunningProgram hook(image_.HostPath("Spy/hook.dll"));
  EXPECT_TRUE(removal_->RemoveFile("C:\\Spy\\hook.dll", "fixer"));
  EXPECT_TRUE(log_.empty());
  EXPECT_TRUE(engine_->PendingDeleteList().empty());
  EXPECT_FALSE(removal_->RemoveFile("C:\\Spy\\hook.dll", ""));
  EXPECT_EQ(log_, (Lines{"<FILE RES = \" Error .. Access Denied \"/>"}));
  // Held open without delete sharing: the system's own message, without its line end.
  image_.WriteFile("C:\\Spy\\held.dat", "x");
  HelperProcess holder(
      {VEXMARL_TEST_HOLDER, image_.Root(), "C:\\Spy\\held.dat", "0x80000000", "0"});
  ASSERT_EQ(holder.Report(), "open");
  log_.clear();
  EXPECT_FALSE(removal_->RemoveFile("C:\\Spy\\held.dat", ""));
  EXPECT_EQ(log_, (Lines{"<FILE RES = \" Error -  The process cannot access the file because it "
                         "is being used by another process.\"/>"}));
  EXPECT_EQ(engine_->PendingDeleteList(), (Lines{"C:\\Spy\\hook.dll", "C:\\Spy\\held.dat"}));
}

TEST_F(RemovalEngineTest, AFolderWithAFileThatResistsStays) {
  image_.WriteHostFile("Spy/a.txt", "a");
  image_.WriteHostFile("Spy/Sub/b.txt", "b");
  image_.WriteHostFile("Spy/Sub/Deeper/c.txt", "c");
  InstallProgram("Spy/Busy/busy.dll", VEXMARL_DEMO_SPYWARE);
  RunningProgram busy(image_.HostPath("Spy/Busy/busy.dll"));
  removal_->RemoveItem(Item(FoundItemKind::Folder, "C:\\Spy"));
  EXPECT_EQ(log_, (Lines{"<DIR NAME = \"C:\\Spy\"/>",
                         "<FILE RES = \"C:\\Spy\\a.txt Successfully ReMoved\"/>",
                         "<FILE RES = \" Error .. Access Denied \"/>",
                         "<FILE RES = \"C:\\Spy\\Sub\\b.txt Successfully ReMoved\"/>",
                         "<FILE RES = \"C:\\Spy\\Sub\\Deeper\\c.txt Successfully ReMoved\"/>",
                         "<DIR RES = \"Error Not Removed C:\\Spy\"/>"}));
  EXPECT_FALSE(image_.Files().PathFileExistsA("C:\\Spy\\Sub"));
  EXPECT_TRUE(image_.Files().PathFileExistsA("C:\\Spy\\Busy\\busy.dll"));
  busy.Kill();
  log_.clear();
  removal_->RemoveItem(Item(FoundItemKind::Folder, "C:\\Spy"));
  EXPECT_EQ(log_.back(), "<DIR RES = \"Successfully ReMoved C:\\Spy\"/>");
  log_.clear();
  removal_->RemoveItem(Item(FoundItemKind::Folder, "C:\\Spy"));  // gone: nothing more
  EXPECT_EQ(log_, (Lines{"<DIR NAME = \"C:\\Spy\"/>"}));
}

TEST_F(RemovalEngineTest, RegistryKeysValuesAndHostsEntries) {
  WriteRegistryText(
      "[HKEY_LOCAL_MACHINE\\Software\\Spy\\Deep]\r\n"
      "[HKEY_CURRENT_USER\\Software\\Spy]\r\n"
      "[HKEY_CURRENT_USER\\Software\\Tracker]\r\n\"Home\"=\"http://spy\"\r\n\"Id\"=\"7\"\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Tracker]\r\n\"Id\"=\"8\"\r\n");
  removal_->RemoveItem(Item(FoundItemKind::RegistryKey, "software\\spy"));
  removal_->RemoveItem(Item(FoundItemKind::RegistryValue, "software\\tracker\\home:@:http://spy"));
  removal_->RemoveItem(Item(FoundItemKind::RegistryValue, "software\\tracker\\id"));
  removal_->RemoveItem(Item(FoundItemKind::RegistryValue, "software\\tracker\\none"));
  removal_->RemoveItem(Item(FoundItemKind::RegistryValue, "novalue"));
  // A key item of nothing but backslashes would delete whole roots: it is left alone.
  removal_->RemoveItem(Item(FoundItemKind::RegistryKey, "\\\\"));
  removal_->RemoveItem(Item(FoundItemKind::RegistryKey, ""));
  const std::string hosts = image_.Machine().system().SystemDirectory() + "\\drivers\\etc\\hosts";
  image_.WriteFile(hosts, "127.0.0.1 localhost\r\n203.0.113.9 ads.spy.example\r\n");
  engine_->Hosts().BuildHostsFileSet();
  removal_->RemoveItem(Item(FoundItemKind::HostsEntry, "ads.spy.example"));
  removal_->RemoveItem(Item(FoundItemKind::HostsEntry, "ads.spy.example"));
  EXPECT_EQ(log_,
            (Lines{"<REGKEY NAME = \"software\\spy\"/>", "<REGKEY RES = \"Successfully ReMoved\"/>",
                   "<REGKEY RES = \"Successfully ReMoved\"/>",
                   "<REGVALUE NAME = \"software\\tracker\\home:@:http://spy\"/>",
                   "<REGVALUE RES = \"Successfully Removed\"/>",
                   "<REGVALUE NAME = \"software\\tracker\\id\"/>",
                   "<REGVALUE RES = \"Successfully Removed\"/>",
                   "<REGVALUE NAME = \"software\\tracker\\none\"/>",
                   "<REGVALUE RES = \"Unsuccessfully Removed The system cannot find the file "
                   "specified.\"/>",
                   "<REGVALUE NAME = \"novalue\"/>",
                   "<REGVALUE RES = \"Unsuccessfully Removed The system cannot find the file "
                   "specified.\"/>",
                   "<HOST NAME = \"ads.spy.example\" RESULT = \"Successfully Removed\" />",
                   "<HOST NAME = \"ads.spy.example\" RESULT = \"Successfully Removed\" />"}));
  EXPECT_FALSE(KeyExists(platform::HKEY_LOCAL_MACHINE, "Software\\Spy"));
  EXPECT_FALSE(KeyExists(platform::HKEY_CURRENT_USER, "Software\\Spy"));
  EXPECT_TRUE(KeyExists(platform::HKEY_LOCAL_MACHINE, "Software"));
  // ":@:" blanks the value instead of deleting it.
  EXPECT_EQ(ValueOf(platform::HKEY_CURRENT_USER, "Software\\Tracker", "Home"),
            std::string(1, '\0'));
  EXPECT_EQ(ValueOf(platform::HKEY_CURRENT_USER, "Software\\Tracker", "Id"), "<none>");
  EXPECT_EQ(ValueOf(platform::HKEY_LOCAL_MACHINE, "Software\\Tracker", "Id"), "<none>");
  EXPECT_EQ(image_.ReadFile(hosts), "127.0.0.1 localhost\r\n");
}

TEST_F(RemovalEngineTest, AClassRegistrationTakesItsTypeLibraryServerAndHelperObjects) {
  image_.WriteFile("C:\\WINDOWS\\spybho.dll", "MZ");
  const std::string id = "{11111111-2222-3333-4444-555555555555}";
  const std::string bho =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\"
      "Browser Helper Objects\\" +
      id;
  const std::string ntBho =
      "Software\\Microsoft\\Windows NT\\CurrentVersion\\Explorer\\"
      "Browser Helper Objects\\" +
      id;
  WriteRegistryText("[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\" + id +
                    "\\InprocServer32]\r\n@=\"C:\\\\WINDOWS\\\\spybho.dll\"\r\n"
                    "[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\" +
                    id +
                    "\\TypeLib]\r\n@=\"{AAAA}\"\r\n"
                    "[HKEY_LOCAL_MACHINE\\Software\\Classes\\TypeLib\\{AAAA}\\1.0]\r\n"
                    "[HKEY_LOCAL_MACHINE\\" +
                    bho + "]\r\n[HKEY_CURRENT_USER\\" + bho +
                    "]\r\n"
                    "[HKEY_LOCAL_MACHINE\\" +
                    ntBho + "]\r\n");
  removal_->RemoveItem(Item(FoundItemKind::RegistryKey, "clsid\\" + id));
  EXPECT_EQ(log_, (Lines{"<REGKEY NAME = \"clsid\\" + id + "\"/>",
                         "<REGKEY RES = \"TypeLib\\{AAAA}\" Removed from Registry\"/>",
                         "<FILE RES = \"C:\\WINDOWS\\spybho.dll Successfully ReMoved\"/>",
                         "<REGKEY RES = \"Successfully ReMoved\"/>"}));
  EXPECT_FALSE(KeyExists(platform::HKEY_LOCAL_MACHINE, "Software\\Classes\\CLSID\\" + id));
  EXPECT_FALSE(KeyExists(platform::HKEY_LOCAL_MACHINE, "Software\\Classes\\TypeLib\\{AAAA}"));
  EXPECT_FALSE(image_.Files().PathFileExistsA("C:\\WINDOWS\\spybho.dll"));
  EXPECT_FALSE(KeyExists(platform::HKEY_LOCAL_MACHINE, bho));
  EXPECT_FALSE(KeyExists(platform::HKEY_CURRENT_USER, bho));
  EXPECT_FALSE(KeyExists(platform::HKEY_LOCAL_MACHINE, ntBho));
}

TEST_F(RemovalEngineTest, AWinlogonNotificationGoesWithItsLibrary) {
  image_.WriteFile("C:\\WINDOWS\\system32\\spynote.dll", "MZ");
  const std::string notify = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify";
  WriteRegistryText("[HKEY_LOCAL_MACHINE\\" + notify +
                    "\\spynote]\r\n\"DllName\"=\"C:\\\\WINDOWS\\\\SYSTEM32\\\\SPYNOTE.DLL\"\r\n"
                    "[HKEY_LOCAL_MACHINE\\" +
                    notify + "\\other]\r\n\"DllName\"=\"other.dll\"\r\n");
  EXPECT_TRUE(removal_->RemoveFile("C:\\WINDOWS\\system32\\spynote.dll", ""));
  EXPECT_FALSE(KeyExists(platform::HKEY_LOCAL_MACHINE, notify + "\\spynote"));
  EXPECT_TRUE(KeyExists(platform::HKEY_LOCAL_MACHINE, notify + "\\other"));
}

TEST_F(RemovalEngineTest, NothingOutsideTheImageIsDeletedOrEnded) {
  const std::string outside = image_.Root() + "/outside-spy.exe";
  std::filesystem::copy_file(VEXMARL_DEMO_SPYWARE, outside);
  RunningProgram host(outside);
  // A Run value and a found file that name the host program by its host path, and a found
  // file of the same name inside the image that resists (it is a folder).
  WriteRegistryText("[HKEY_LOCAL_MACHINE\\" + std::string(kRunKey) + "]\r\n\"outside\"=\"" +
                    outside + "\"\r\n");
  std::filesystem::create_directories(image_.HostPath("outside-spy.exe"));
  std::vector<ResultRow> rows = {Row(FoundItemKind::File, outside),
                                 Row(FoundItemKind::File, "C:\\outside-spy.exe")};
  removal_->RunRemoval(rows);
  EXPECT_TRUE(std::filesystem::exists(outside));
  EXPECT_EQ(kill(host.Pid(), 0), 0);  // still runs
  EXPECT_NE(std::find(log_.begin(), log_.end(),
                      "<PROCESS RES = \"Process NOT Removed\" NAME = \"C:\\outside-spy.exe\"/>"),
            log_.end());
}

TEST_F(RemovalEngineTest, ConfirmationSelectsTheTickedRows) {
  engine_->AddFoundItem("C:\\a.exe", Entry(0), FoundItemKind::File);
  engine_->AddFoundItem("C:\\b.exe", Entry(0), FoundItemKind::File);
  std::vector<ResultRow> rows = {Row(FoundItemKind::File, "c:\\A.EXE"),
                                 Row(FoundItemKind::File, "C:\\b.exe")};
  rows[1].ticked = false;
  prompt_.AnswerMessage(platform::IDNO);
  EXPECT_FALSE(removal_->ConfirmRemoval(rows));
  prompt_.AnswerMessage(platform::IDYES);
  EXPECT_TRUE(removal_->ConfirmRemoval(rows));
  EXPECT_TRUE(rows[0].item.selected);
  EXPECT_TRUE(engine_->Listed()[0].selected);
  EXPECT_FALSE(engine_->Listed()[1].selected);
  rows[0].ticked = false;
  EXPECT_FALSE(removal_->ConfirmRemoval(rows));
  EXPECT_EQ(prompt_.Asked(),
            (Lines{"Vexmarl: text 177 1", "Vexmarl: text 177 1", "Vexmarl: text 178"}));
  const std::size_t start = log_.size() - 2;
  EXPECT_EQ(Lines(log_.begin() + static_cast<std::ptrdiff_t>(start), log_.end()),
            (Lines{"<Information Message = \"User has Selected NOT to Quarantine Any Items\"/>",
                   "<Information Message = \"Starting to Quarantine 1 Items\"/>"}));
}

}  // namespace
}  // namespace removal
