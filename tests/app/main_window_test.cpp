// The main window's controller on an installed image: its pages, messages, commands and
// timers, driven as the window's thread gets them, through a recording view and a scripted
// prompt.
#include "app/main_window_fixture.h"

namespace app {
namespace {

using namespace window_test;

TEST_F(MainWindowTest, OpensWithTheNoticeAndShowsEveryPageByItsTriggers) {
  Start();
  EXPECT_EQ(view_.pages.front().page, Page::Notice);
  EXPECT_EQ(view_.placed, (std::array<int, 4>{100, 100, 75, 75}));
  EXPECT_EQ(Setting(foundation::setting::kDownloadComplete), 0u);
  struct Trigger {
    bool command;
    std::uintptr_t id;
    Page page;
    unsigned header;
  };
  const Trigger triggers[] = {
      {true, 199, Page::ScanSettings, 149},   {true, 252, Page::Options, 145},
      {true, 253, Page::Quarantine, 146},     {true, 254, Page::Ignore, 147},
      {true, 256, Page::About, 148},          {true, 232, Page::Scan, 176},
      {false, 1224, Page::Quarantine, 146},   {false, 1225, Page::Ignore, 147},
      {false, 1226, Page::Hidden, 0},         {false, 1227, Page::ScanSettings, 149},
      {false, 1228, Page::Start, 143},        {false, 1230, Page::ScanSettings, 149},
      {false, 1233, Page::ScanSettings, 149}, {false, 1240, Page::About, 148},
      {false, 1249, Page::Scan, 176},
  };
  for (const Trigger& trigger : triggers) {
    SCOPED_TRACE(trigger.id);
    if (trigger.command) {
      Command(trigger.id);
    } else {
      Send(static_cast<UINT>(trigger.id), 1, 1);
    }
    ExpectPage(trigger.page, trigger.header);
  }
  // 1249 while the scan page is shown changes nothing.
  const std::size_t shown = view_.pages.size();
  Send(ShowScanningMessage);
  EXPECT_EQ(view_.pages.size(), shown);
  Send(IgnoredMessage);
  EXPECT_EQ(view_.pages.size(), shown);
}

TEST_F(MainWindowTest, AddressesOpenThroughTheShell) {
  std::filesystem::create_directories(image_.HostPath("Tools"));
  std::filesystem::copy_file(VEXMARL_TEST_ECHO, image_.HostPath("Tools/echo.exe"));
  Start();
  Send(OpenAddressMessage, 7);  // above 6: nothing
  Send(OpenAddressMessage, 0);  // no browser yet: text 151
  EXPECT_EQ(Asked(), (Lines{"Vexmarl: " + resources_.String(151)}));
  HKEY key;
  ASSERT_EQ(image_.Machine().registry().RegCreateKeyExA(HKEY_CLASSES_ROOT,
                                                        "http\\shell\\open\\command", 0, nullptr, 0,
                                                        KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::string browser = "C:\\Tools\\echo.exe \"%1\"";
  image_.Machine().registry().RegSetValueExA(key, "", 0, REG_SZ,
                                             reinterpret_cast<const BYTE*>(browser.c_str()),
                                             static_cast<DWORD>(browser.size() + 1));
  image_.Machine().registry().RegCloseKey(key);
  const std::string echo = std::string(kProgramFolder) + "echo.txt";
  const std::string* addresses[] = {
      &branding_.URLPROD, &branding_.URLFRIEND, &branding_.URLTERMS, &branding_.URLSUPPORT,
      &branding_.URLHELP, &branding_.URLLOGO,   &branding_.URLPROD};
  for (WPARAM which = 0; which <= 6; ++which) {
    image_.Files().DeleteFileA(echo.c_str());
    Send(OpenAddressMessage, which);
    EXPECT_NE(EchoReport(echo).find("arg:" + *addresses[which] + "\n"), std::string::npos) << which;
  }
  EXPECT_EQ(Asked().size(), 1u);
  // A click on the logo, at the bottom left corner of the client area, opens URLLOGO.
  image_.Files().DeleteFileA(echo.c_str());
  Send(WM_LBUTTONDOWN, 0, 10 | 590 << 16);
  EXPECT_NE(EchoReport(echo).find("arg:" + branding_.URLLOGO + "\n"), std::string::npos);
}

TEST_F(MainWindowTest, AScanListsEachItemOnceAndItsMenuTicksByEntryAndKind) {
  Start();
  ScanToTheEnd();
  std::vector<removal::ResultRow> rows = Rows();
  ASSERT_GE(rows.size(), 4u);
  EXPECT_EQ(view_.rows.size(), rows.size());
  EXPECT_EQ(Setting(foundation::setting::kTotalScans), 1u);
  // The same item again gives no row.
  scan::FoundItem again = rows[0].item;
  again.text = CodePage().Upper(rows[0].item.text);  // the same text in another case
  Send(app::ScanProgressMessage, 1, reinterpret_cast<LPARAM>(&again));
  EXPECT_EQ(Rows().size(), rows.size());

  // The menu on a row of a registry key of Glimmerbar.
  std::size_t key = 0;
  while (key < rows.size() && rows[key].item.kind != scan::FoundItemKind::RegistryKey) ++key;
  ASSERT_LT(key, rows.size());
  Send(WM_CONTEXTMENU, key);
  const std::string entry = rows[key].item.entry->name;
  EXPECT_EQ(window_->Scan().MenuCaptions()[0], "Tick every \"" + entry + "\" item");
  EXPECT_EQ(window_->Scan().MenuCaptions()[2], "Tick every " + resources_.String(75));
  auto ticked = [&] {
    std::vector<bool> marks;
    for (const auto& row : Rows()) marks.push_back(row.ticked);
    return marks;
  };
  Command(command::kUntickAll);
  EXPECT_EQ(ticked(), std::vector<bool>(rows.size(), false));
  Command(command::kTickEntry);
  for (std::size_t i = 0; i < rows.size(); ++i)
    EXPECT_EQ(ticked()[i], rows[i].item.entry->name == entry) << i;
  Command(command::kUntickEntry);
  Command(command::kTickKind);
  for (std::size_t i = 0; i < rows.size(); ++i)
    EXPECT_EQ(ticked()[i], rows[i].item.kind == scan::FoundItemKind::RegistryKey) << i;
  Command(command::kInvertTicks);
  for (std::size_t i = 0; i < rows.size(); ++i)
    EXPECT_EQ(ticked()[i], rows[i].item.kind != scan::FoundItemKind::RegistryKey) << i;
  Command(command::kUntickKind);
  Command(command::kTickAll);
  EXPECT_EQ(ticked(), std::vector<bool>(rows.size(), true));
  // No row under the cursor: text 79, and the four commands do nothing.
  Send(WM_CONTEXTMENU, static_cast<WPARAM>(-1));
  EXPECT_EQ(window_->Scan().MenuCaptions()[0], resources_.String(79));
  Command(command::kUntickEntry);
  EXPECT_EQ(ticked(), std::vector<bool>(rows.size(), true));
  // Details of a row: labels 167 to 172 with its values.
  Send(WM_CONTEXTMENU, key);
  Command(command::kDetails);
  ExpectPage(Page::ObjectDetails, 153);
  EXPECT_EQ(view_.LastPage().lines.front(), resources_.String(167) + " " + entry);
  // The layout button swaps its caption.
  Send(ShowScanningMessage);
  Command(command::kLayoutButton);
  EXPECT_EQ(window_->Scan().LayoutCaption(), resources_.String(116));
}

TEST_F(MainWindowTest, IgnoringAndUnignoringKeepTheStatistic) {
  Start();
  ScanToTheEnd();
  const std::size_t count = Rows().size();
  const std::string first = Rows()[0].item.text;
  Command(command::kUntickAll);
  Command(command::kToggleRow, 0);
  Command(command::kIgnoreTicked);
  EXPECT_EQ(Rows().size(), count - 1);
  EXPECT_EQ(Setting(foundation::setting::kObjectsIgnored), 1u);
  EXPECT_NE(image_.ReadFile(std::string(kProgramFolder) + "Ignorelist.txt").find(first),
            std::string::npos);
  Command(command::kIgnore);
  ExpectPage(Page::Ignore, 147);
  ASSERT_EQ(view_.LastPage().lines.size(), 1u);
  EXPECT_NE(view_.LastPage().lines[0].find("[ ] "), std::string::npos);
  // A list that cannot be written: the row stays, the statistic too, and the user is told.
  const std::string file = image_.HostPath("Program Files/Vexmarl/Ignorelist.txt");
  std::filesystem::remove(file);
  std::filesystem::create_directory(file);
  Command(command::kToggleRow, 0);
  Command(command::kUnignore);
  EXPECT_EQ(Asked(), (Lines{"Vexmarl: " + resources_.String(254)}));
  EXPECT_EQ(view_.LastPage().lines.size(), 1u);
  EXPECT_EQ(Setting(foundation::setting::kObjectsIgnored), 1u);
  std::filesystem::remove(file);
  Command(command::kUnignore);
  EXPECT_TRUE(view_.LastPage().lines.empty());
  EXPECT_EQ(Setting(foundation::setting::kObjectsIgnored), 0u);
}

TEST_F(MainWindowTest, RemovingEveryRowShowsTheResultsPage) {
  Start();
  ScanToTheEnd();
  EXPECT_EQ(window_->Scan().scanButton, resources_.String(155));
  view_.prompt_.AnswerMessage(IDYES);  // string 177
  Command(command::kScanButton);
  ASSERT_TRUE(view_.WaitUntil([&] { return view_.pages.back().page == Page::Results; }));
  ExpectPage(Page::Results, 175);
  EXPECT_TRUE(Rows().empty());
  EXPECT_GT(Setting(foundation::setting::kTotalDeletedItems), 0u);
  EXPECT_FALSE(image_.Files().PathFileExistsA("C:\\glimmerbar.ini"));
  EXPECT_EQ(view_.LastPage().lines.front(), resources_.String(109));
  // The results page's commands.
  Command(command::kResultsQuarantine);
  ExpectPage(Page::Quarantine, 146);
  EXPECT_EQ(window_->Quarantine()->Rows().size(), 1u);
}

TEST_F(MainWindowTest, AScanAskedForDuringARemovalDoesNotTouchItsRows) {
  // A scheduled scan handed over ("-t" of a second instance) while the quarantine step runs.
  Start();
  ScanToTheEnd();
  ASSERT_FALSE(Rows().empty());
  view_.prompt_.AnswerMessage(IDYES);
  Command(command::kScanButton);
  image_.Machine().messages().PostMessageA(window_->Handle(), StartScanMessage, 1, 1);
  ASSERT_TRUE(view_.WaitUntil([&] { return view_.pages.back().page == Page::Results; }));
  EXPECT_FALSE(window_->ScanRunning());
  EXPECT_TRUE(Rows().empty());
  EXPECT_FALSE(image_.Files().PathFileExistsA("C:\\glimmerbar.ini"));
  Command(command::kQuarantine);
  ASSERT_EQ(window_->Quarantine()->Rows().size(), 1u);
  EXPECT_NE(window_->Quarantine()->Rows()[0].itemTotal, "0") << "the rows went into the archive";
}

TEST_F(MainWindowTest, AfterAFailedQuarantineStepTheRemovalCanBeTriedAgain) {
  Start();
  ScanToTheEnd();
  // The quarantine folder cannot be made: a file has its name.
  const std::string blocker = std::string(window_test::kProgramFolder) + "Quarantine";
  if (image_.Files().GetFileAttributesA(blocker.c_str()) != INVALID_FILE_ATTRIBUTES)
    image_.Files().RemoveDirectoryA(blocker.c_str());
  image_.WriteFile(blocker, "in the way");
  view_.prompt_.AnswerMessage(IDYES);
  Command(command::kScanButton);
  // Nothing was removed, and the step has ended (a round trip through the window's queue).
  for (int i = 0; i < 50 && image_.Files().PathFileExistsA("C:\\glimmerbar.ini"); ++i)
    Send(WM_NULL);
  EXPECT_TRUE(image_.Files().PathFileExistsA("C:\\glimmerbar.ini"));
  ASSERT_TRUE(image_.Files().DeleteFileA(blocker.c_str()));
  view_.prompt_.AnswerMessage(IDYES);
  Command(command::kScanButton);
  ASSERT_TRUE(view_.WaitUntil([&] { return view_.pages.back().page == Page::Results; }));
  EXPECT_FALSE(image_.Files().PathFileExistsA("C:\\glimmerbar.ini"));
}

TEST_F(MainWindowTest, OptionsEnableTheStartUpChoicesWithStartWithWindows) {
  Start();
  Command(command::kOptions);
  OptionsPage& options = *window_->Options();
  EXPECT_FALSE(options.ChoicesEnabled());
  Command(command::kScanModeScan);  // disabled: nothing written
  EXPECT_EQ(Setting(foundation::setting::kScanmode), 12345u);
  Command(command::kWindowsStartUp);
  ExpectPage(Page::ScanSettings, 149);  // turning it on shows the scan settings (1233)
  HKEY run;
  ASSERT_EQ(
      image_.Machine().registry().RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_READ, &run),
      ERROR_SUCCESS);
  char data[512] = {};
  DWORD size = sizeof data - 1;
  EXPECT_EQ(
      image_.Machine().registry().RegQueryValueExA(run, branding_.APPNAME.c_str(), nullptr, nullptr,
                                                   reinterpret_cast<BYTE*>(data), &size),
      ERROR_SUCCESS);
  EXPECT_EQ(std::string(data), std::string(kProgramFolder) + "Vexmarl.exe -s");
  Command(command::kScanModeScan);
  EXPECT_EQ(Setting(foundation::setting::kScanmode), 2u);
  Command(command::kWindowsStartUp);  // off again: the entry goes
  size = sizeof data - 1;
  EXPECT_EQ(
      image_.Machine().registry().RegQueryValueExA(run, branding_.APPNAME.c_str(), nullptr, nullptr,
                                                   reinterpret_cast<BYTE*>(data), &size),
      ERROR_FILE_NOT_FOUND);
  image_.Machine().registry().RegCloseKey(run);
  EXPECT_FALSE(options.ChoicesEnabled());
  Command(command::kOptionsApply);
  ExpectPage(Page::Start, 143);
}

TEST_F(MainWindowTest, StartingWithMinusSScansOnlyForScanModesTwoAndThree) {
  UserSettings settings(image_.Machine().registry(), "Vexmarl");
  for (DWORD mode : {2u, 3u, 1u}) {
    SCOPED_TRACE(mode);
    settings.SetNumber(foundation::setting::kScanmode, mode);
    view_.pages.clear();
    Start("-s");
    // Timer 102 fires after 2000 ms.
    const bool scanned = view_.WaitUntil(
        [&] {
          return std::any_of(view_.pages.begin(), view_.pages.end(), [&](const PageShown& page) {
            return page.header == resources_.String(152);
          });
        },
        std::chrono::milliseconds(4000));
    EXPECT_EQ(scanned, mode != 1);
    if (scanned) view_.WaitUntil([&] { return !window_->ScanRunning(); });
    Stop();
  }
}

TEST_F(MainWindowTest, StartingWithMinusBReportsAndAsks) {
  UserSettings settings(image_.Machine().registry(), "Vexmarl");
  settings.SetNumber(foundation::setting::kStartUpDeleteCount, 1);
  settings.SetText("StartUpDelete0", "C:\\glimmerbar.ini");
  view_.prompt_.AnswerMessage(IDNO);
  window_ = std::make_unique<MainWindow>(image_.Machine(), branding_, resources_, view_, "-b",
                                         kProgramFolder);
  window_->RunModal({});  // No: the window closes at once
  EXPECT_EQ(Asked(), (Lines{"Vexmarl: " + resources_.Format(144, {1LL, 0LL})}));
  EXPECT_FALSE(image_.Files().PathFileExistsA("C:\\glimmerbar.ini"));
  EXPECT_EQ(settings.Number(foundation::setting::kStartUpDeleteCount, 9), 0u);
  // Yes: a scan 2000 ms later.
  view_.prompt_.AnswerMessage(IDYES);
  Start("-b");
  EXPECT_TRUE(view_.WaitUntil([&] { return !view_.ends.empty(); }));
}

}  // namespace
}  // namespace app

namespace app {
namespace {

TEST_F(MainWindowTest, ScanSettingsWriteTheirBoxesAndTheChosenFolders) {
  Start();
  Command(command::kScanSettings);
  ScanSettingsPage& page = *window_->ScanSettings();
  EXPECT_TRUE(page.Checked(0));
  Command(command::kScanSettingsFirstBox);      // Cust_Scan_AdvSpyware off
  Command(command::kScanSettingsFirstBox + 2);  // ScanHostFiles: shown, never written
  EXPECT_EQ(Setting(foundation::setting::kCustScanAdvSpyware), 0u);
  EXPECT_EQ(Setting(foundation::setting::kScanHostFiles), 12345u);
  view_.prompt_.AnswerChoice("C:\\;C:\\Program Files");
  Command(command::kScanFolders);
  EXPECT_EQ(Setting(foundation::setting::kCustScanDrivesNum), 2u);
  EXPECT_EQ(page.Folders(), (Lines{"C:\\", "C:\\Program Files"}));
  EXPECT_EQ(Asked().back().rfind(
                "choose: " + resources_.String(112) + ": " + resources_.String(113) + " [C:\\]", 0),
            0u);
}

}  // namespace
}  // namespace app
