#include "app/main_window.h"

#include <iostream>

#include "app/log_mail.h"
#include "app/program_folder.h"
#include "app/scheduled_scan.h"
#include "foundation/setting_names.h"
#include "removal/browser_repair.h"
#include "removal/reboot_removal.h"

namespace app {
namespace {

namespace setting = foundation::setting;

constexpr platform::UINT kScanSoonDelay = 2000;
constexpr platform::UINT kProgressPeriod = 200;

// Resource strings.
constexpr unsigned kLoadingText = 80;
constexpr unsigned kDatabaseMissingText = 81;
constexpr unsigned kReadingText = 82;
constexpr unsigned kDatabaseUnreadableText = 83;
constexpr unsigned kHomeText = 117;
constexpr unsigned kStopText = 118;
constexpr unsigned kScanStoppedText = 119;
constexpr unsigned kScanFinishedText = 124;
constexpr unsigned kDefaultStatusText = 132;
constexpr unsigned kRebootReportText = 144;
constexpr unsigned kShellFailedText = 151;
constexpr unsigned kScanningHeader = 152;
constexpr unsigned kRemoveSelectedText = 155;
constexpr unsigned kScanRunningText = 156;
constexpr unsigned kIgnoreListNotSavedText = 254;

constexpr const char* kAbortedLine = "<Information Message = \"Scan Aborted by User\"/>";

// The window's place: 100,100 with three quarters of the screen.
constexpr int kWindowLeft = 100, kWindowTop = 100, kWindowPercent = 75;
// The logo: a click this close to the left edge and the bottom opens URLLOGO.
constexpr int kLogoWidth = 105, kLogoHeight = 26;
// Which address of message 1229's order the help command and the logo open.
constexpr platform::WPARAM kHelpAddress = 4, kLogoAddress = 5;

}  // namespace

MainWindow::MainWindow(platform::Machine& machine, const BrandingSettings& branding,
                       const Resources& resources, MainView& view, std::string commandLine,
                       std::string programFolder)
    : machine_(machine),
      branding_(branding),
      resources_(resources),
      view_(view),
      commandLine_(std::move(commandLine)),
      programFolder_(std::move(programFolder)),
      scan_(resources),
      ignore_(resources) {}

MainWindow::~MainWindow() {
  updates_.reset();  // its workers end before the window goes
  if (quarantineWorker_.joinable()) quarantineWorker_.join();
  if (worker_.joinable()) {
    session_->Engine().AbortScan();
    // The worker may wait for this thread to take a found row or a log line.
    while (!session_->Engine().Finished()) machine_.messages().PumpMessages();
    worker_.join();
  }
  if (window_) machine_.messages().DestroyWindow(window_);
}

std::string MainWindow::DefaultStatus() const {
  return resources_.Format(kDefaultStatusText, {branding_.APPNAME, std::string(ProgramVersion)});
}

void MainWindow::RunModal(const std::function<void(const platform::MSG&)>& preTranslate) {
  platform::Messages& messages = machine_.messages();
  window_ = messages.CreateWindowA(branding_.APPNAME,
                                   [this](auto window, auto message, auto wParam, auto lParam) {
                                     return Procedure(window, message, wParam, lParam);
                                   });
  if (!window_) return;
  view_.Attach(this);
  Initialise();
  view_.RunMessageLoop(messages, preTranslate);
  view_.Attach(nullptr);
}

void MainWindow::Initialise() {
  platform::Messages& messages = machine_.messages();
  ScanEvents events;
  events.itemListed = [this](const scan::FoundItem& item) {
    machine_.messages().SendMessageA(window_, ScanProgressMessage, 1,
                                     reinterpret_cast<platform::LPARAM>(&item));
  };
  events.phaseEntered = [this](scan::ScanPhase phase) {
    machine_.messages().PostMessageA(window_, ScanPhaseMessage, 0,
                                     static_cast<platform::LPARAM>(phase));
  };
  events.sendLogLine = [this](const std::string& line) {
    machine_.messages().SendMessageA(window_, LogLineMessage, 0,
                                     reinterpret_cast<platform::LPARAM>(line.c_str()));
  };
  events.runEnded = [this] {
    machine_.messages().PostMessageA(window_, ScanProgressMessage, 0, 0);
  };
  session_ = std::make_unique<ScanSession>(machine_, branding_, resources_, programFolder_,
                                           std::move(events));
  UserSettings& settings = session_->Settings();
  // 1. The update records and the options.
  UpdateChecker::Hooks updateHooks;
  updateHooks.stopScan = [this] {
    machine_.messages().SendMessageA(window_, AbortScanMessage, 1, 1);
  };
  updateHooks.note = [this](const std::string& text, bool) {
    session_->Log().LogLine(UpdateLogLine(text));
  };
  updates_ = std::make_unique<UpdateChecker>(
      machine_, branding_, resources_, view_.prompt(), settings,
      [this] { return session_->Database().version; }, std::move(updateHooks));
  updates_->Initialise(window_);
  ReadOptions();
  // 2. The definitions (the loading dialog's texts) and the ignore list.
  view_.ShowStatus(resources_.String(kLoadingText));
  switch (
      session_->LoadDefinitions([this] { view_.ShowStatus(resources_.String(kReadingText)); })) {
    case definitions::LoadError::None:
      break;
    case definitions::LoadError::Missing:
      view_.ShowStatus(resources_.String(kDatabaseMissingText));
      break;
    default:
      view_.ShowStatus(resources_.String(kDatabaseUnreadableText));
      break;
  }
  // 3. The pages.
  removal_ = std::make_unique<RemovalFlow>(machine_, *session_, branding_, resources_,
                                           view_.prompt(), programFolder_);
  removal_->Host().closeMainWindow = [this] { Close(); };
  removal_->Host().showProgress = [this](const std::string& text) { view_.ShowStatus(text); };
  options_ =
      std::make_unique<OptionsPage>(settings, branding_, programFolder_, machine_.registry());
  scanSettings_ = std::make_unique<ScanSettingsPage>(settings);
  quarantine_ = std::make_unique<QuarantinePage>(machine_, resources_, settings, view_.prompt(),
                                                 branding_.APPNAME, programFolder_);
  notice_ = std::make_unique<BrowserPagesNotice>(
      machine_, settings, resources_, branding_.APPNAME,
      [this] { machine_.messages().SendMessageA(window_, ShowStartMessage, 1, 1); });
  // 4. The command line, whole and case-sensitive.
  if (commandLine_ == "-t") {
    messages.SetTimer(window_, kScanSoonTimer, kScanSoonDelay, nullptr);
  } else if (commandLine_ == "-s") {
    messages.SetTimer(window_, kStartUpScanTimer, kScanSoonDelay, nullptr);
  } else if (commandLine_ == removal::kRebootArgument) {
    ProcessRebootDeletion();
    if (!window_) return;
  }
  // 5. The check at start.
  updates_->StartTimer(kStartUpCheckDelay);
  // 6. Place, DownloadComplete, the notice first.
  view_.PlaceWindow(kWindowLeft, kWindowTop, kWindowPercent, kWindowPercent);
  settings.SetNumber(setting::kDownloadComplete, 0);
  ReadBrowserPages();
  notice_->Open();
  ShowPage(Page::Notice);
  view_.ShowStatus(DefaultStatus());
}

logging::LogMailer& MainWindow::Logs() {
  if (!logs_) {
    logs_ = std::make_unique<logging::LogMailer>(machine_, view_.prompt(),
                                                 logging::LogsFolderOf(programFolder_),
                                                 LogMailOf(resources_, branding_));
  }
  return *logs_;
}

void MainWindow::ReadOptions() {
  UserSettings& settings = session_->Settings();
  autoDatabaseUpdate_ = settings.Number(setting::kAutoDatabaseUpdate, 1) != 0;
  autoProgramUpdate_ =
      settings.ReadNumber(kFixedSettingsKeyName, setting::kAutoProgramUpdate, 1) != 0;
  automaticRemoval_ = settings.Number(setting::kAutomaticRemoval, 0) != 0;
  exitWhenFinished_ = settings.Number(setting::kExitWhenFinished, 0) != 0;
  corvane_ = settings.Number(setting::kCorvane, 1) != 0;
  if (updates_) updates_->SetOptions(corvane_, autoProgramUpdate_, autoDatabaseUpdate_);
}

void MainWindow::ReadBrowserPages() {
  platform::Registry& registry = machine_.registry();
  const platform::HKEY user = platform::HKEY_CURRENT_USER;
  browserStartPage_ =
      removal::ReadBrowserPage(registry, user, removal::kStartPageValue).value_or("");
  browserSearchPage_ =
      removal::ReadBrowserPage(registry, user, removal::kSearchPageValue).value_or("");
}

void MainWindow::Close() {
  if (!window_) return;
  machine_.messages().DestroyWindow(window_);
  window_ = nullptr;
  machine_.messages().PostQuitMessage(platform::IDOK);
}

std::vector<std::string> MainWindow::PageLines(Page page) const {
  switch (page) {
    case Page::Notice: {
      std::vector<std::string> lines = {notice_->Explanation()};
      const char* heading[] = {"start", "start", "search", "search"};
      for (int box = 0; box < BrowserPagesNotice::BoxCount; ++box) {
        const auto which = static_cast<BrowserPagesNotice::Box>(box);
        lines.push_back(std::string(notice_->Ticked(which) ? "[x] " : "[ ] ") +
                        (box % 2 ? "browser " : "saved ") + heading[box] + ": " +
                        notice_->Caption(which));
      }
      return lines;
    }
    case Page::Start:
      return start_.Lines();
    case Page::About:
      return about_.Lines();
    case Page::ObjectDetails:
      return details_.Lines();
    case Page::Results:
      return results_.Lines();
    case Page::Scan:
      return scan_.Lines();
    case Page::Ignore:
      return ignore_.Lines();
    case Page::Options:
      return options_->Lines();
    case Page::ScanSettings:
      return scanSettings_->Lines();
    case Page::Quarantine: {
      std::vector<std::string> lines;
      const auto& rows = quarantine_->Rows();
      for (std::size_t i = 0; i < rows.size(); ++i)
        lines.push_back(std::to_string(i) + (rows[i].ticked ? " [x] " : " [ ] ") + rows[i].title +
                        "\t" + rows[i].itemTotal + "\t" + rows[i].size + "\t" + rows[i].created);
      return lines;
    }
    case Page::Hidden:
      return {};
  }
  return {};
}

void MainWindow::ShowPage(Page page, unsigned header) {
  page_ = page;
  if (page == Page::Scan) scanHeader_ = header ? header : PageHeaderText(page);
  Refresh();
}

void MainWindow::Refresh() {
  const unsigned header = page_ == Page::Scan ? scanHeader_ : PageHeaderText(page_);
  view_.ShowPage(PageShown{page_, PageNumber(page_), header ? resources_.String(header) : "",
                           PageLines(page_)});
}

void MainWindow::StartScan() {
  // A removal under way owns the rows until it has ended: a scan asked for meanwhile (a
  // scheduled one handed over by a second instance) is not started, as during a scan.
  if (scanRunning_ || removing_ || !session_) return;
  session_->Settings().SetNumber(setting::kLastScanMode, lastScanModeRequested_ ? 1 : 0);
  lastScanModeRequested_ = false;
  scan_.Clear();
  scan_.scanButton = resources_.String(kStopText);
  if (worker_.joinable()) worker_.join();
  worker_ = std::thread([this] { session_->Engine().RunScan(); });
  machine_.messages().SetTimer(window_, kScanProgressTimer, kProgressPeriod, nullptr);
  scanRunning_ = true;
  ShowPage(Page::Scan, kScanningHeader);
}

void MainWindow::StartPageScan() {
  // As the start page's scan command: the statistics around a synchronous 1231.
  session_->RecordScanStart();
  const platform::DWORD total = session_->Settings().Number(setting::kTotalScans, 0);
  machine_.messages().SendMessageA(window_, StartScanMessage, 1, 1);
  session_->Settings().SetNumber(setting::kTotalScans, total);
}

void MainWindow::ShowScanning() {
  if (page_ == Page::Scan) return;
  ShowPage(Page::Scan);
}

void MainWindow::Say(unsigned textId) {
  view_.prompt().MessageBoxA(window_, resources_.String(textId).c_str(), branding_.APPNAME.c_str(),
                             platform::MB_OK);
}

void MainWindow::OpenAddress(platform::WPARAM which) {
  // The brand has six addresses; the seventh value opens the product page again.
  const std::string* addresses[] = {
      &branding_.URLPROD, &branding_.URLFRIEND, &branding_.URLTERMS, &branding_.URLSUPPORT,
      &branding_.URLHELP, &branding_.URLLOGO,   &branding_.URLPROD};
  if (which > 6) return;
  const auto result = reinterpret_cast<std::uintptr_t>(machine_.shell().ShellExecuteA(
      window_, "open", addresses[which]->c_str(), nullptr, nullptr, platform::SW_SHOWNORMAL));
  if (result <= 32) Say(kShellFailedText);
}

void MainWindow::OnTimer(std::uintptr_t id) {
  platform::Messages& messages = machine_.messages();
  if (id == kScanProgressTimer) {
    PollProgress();
    return;
  }
  if (id == kUpdateTimer) {
    updates_->OnTimer();
    return;
  }
  messages.KillTimer(window_, id);
  if (id == kScanSoonTimer) {
    StartScan();
  } else if (id == kStartUpScanTimer) {
    const platform::DWORD mode = session_->Settings().Number(setting::kScanmode, 0);
    if (mode == 2 || mode == 3) {
      session_->Settings().SetNumber(setting::kLastScanMode, mode == 2 ? 2 : 1);
      StartScan();
    }
  }
}

void MainWindow::AddFoundRow(const scan::FoundItem& item) {
  if (scan_.AddRow(item, machine_.Code())) view_.AddRow(RowColumns(resources_, item));
}

void MainWindow::PollProgress() {
  if (!scanRunning_) return;
  scan::ScanEngine& engine = session_->Engine();
  // Looked at before the texts and counters: once the worker has finished, what they are read
  // as is its last word, which the page then keeps.
  const bool finished = engine.Finished();
  const scan::ScanCounters& counters = engine.Counters();
  view_.ShowScanProgress(ScanProgressView{engine.GetPhaseText(), engine.GetItemText(),
                                          counters.objectsExamined, counters.itemsFound,
                                          counters.itemsListed, counters.itemsIgnored});
  if (!finished) return;
  machine_.messages().KillTimer(window_, kScanProgressTimer);
  worker_.join();
  scanRunning_ = false;
  scan_.scanButton = resources_.String(scan_.Rows().empty() ? kHomeText : kRemoveSelectedText);
  scan_.status = resources_.String(engine.Aborted() ? kScanStoppedText : kScanFinishedText);
  view_.ShowScanEnd(scan_.status, scan_.scanButton);
}

void MainWindow::ScanButton() {
  if (scan_.scanButton == resources_.String(kHomeText)) {
    machine_.messages().SendMessageA(window_, ShowStartMessage, 1, 1);
  } else if (scan_.scanButton == resources_.String(kStopText)) {
    scan_.scanButton = resources_.String(scan_.Rows().empty() ? kHomeText : kRemoveSelectedText);
    session_->Log().LogLine(kAbortedLine);
    machine_.messages().SendMessageA(window_, AbortScanMessage, 1, 1);
    Refresh();
  } else {
    ConfirmRemoval();
  }
}

void MainWindow::ChangeIgnoreList(std::vector<removal::ResultRow>& rows, bool ignore) {
  std::vector<scan::FoundItem> items;
  std::vector<bool> ticked;
  for (const removal::ResultRow& row : rows) {
    items.push_back(row.item);
    ticked.push_back(row.ticked);
  }
  UserSettings& settings = session_->Settings();
  scan::IgnoreList& list = session_->Engine().Ignored();
  const int before = static_cast<int>(settings.Number(setting::kObjectsIgnored, 0));
  const std::optional<int> ignored = ignore ? scan::IgnoreTickedResults(list, items, ticked, before)
                                            : scan::UnignoreTickedRows(list, items, ticked, before);
  if (!ignored) {
    Say(kIgnoreListNotSavedText);
    return;
  }
  settings.SetNumber(setting::kObjectsIgnored, static_cast<platform::DWORD>(*ignored));
  std::erase_if(rows, [](const removal::ResultRow& row) { return row.ticked; });
  if (ignore) ignore_.Fill(list);
  Refresh();
}

void MainWindow::OnCommand(std::uintptr_t id, platform::LPARAM lParam) {
  platform::Messages& messages = machine_.messages();
  auto send = [&](platform::UINT message) { messages.SendMessageA(window_, message, 1, 1); };
  using namespace command;
  switch (id) {
    case kScanSettings:
      send(ShowScanSettingsMessage);
      return;
    case kScanning:
      ShowScanning();
      return;
    case kScanNow:
      if (page_ == Page::Results) {
        send(ShowStartMessage);
      } else {
        StartPageScan();
      }
      return;
    case kOptions:
      options_->Open();
      ShowPage(Page::Options);
      return;
    case kQuarantine:
    case kResultsQuarantine:
      send(ShowQuarantineMessage);
      return;
    case kIgnore:
    case kResultsIgnore:
      send(ShowIgnoreMessage);
      return;
    case kAbout:
      send(ShowAboutMessage);
      return;
    case kOpenAddress:
      OpenAddress(kHelpAddress);
      return;
    case kScanButton:
      ScanButton();
      return;
    case kLayoutButton:
      scan_.listOnly = !scan_.listOnly;
      Refresh();
      return;
    case kIgnoreTicked:
      ChangeIgnoreList(scan_.Rows(), true);
      return;
    case kDetails:
      if (scan_.MenuRow()) messages.SendMessageA(window_, ShowDetailsMessage, *scan_.MenuRow(), 0);
      return;
    case kNoticeApply:
      notice_->Apply();
      return;
    case kOptionsApply:
      options_->Apply();
      ReadOptions();
      send(ShowStartMessage);
      return;
    case kOptionsUpdate:
      send(UpdateRequestMessage);
      return;
    case kScanModeStartOnly:
    case kScanModeScan:
    case kScanModeScanAlso:
      options_->ChooseScanMode(static_cast<int>(id - kScanModeStartOnly) / 2 + 1);
      Refresh();
      return;
    case kScanFolders:
      scanSettings_->ChooseFolders(view_.prompt(), resources_);
      Refresh();
      return;
    case kRestoreArchives:
      quarantine_->RestoreTicked();
      quarantine_->List();
      Refresh();
      return;
    case kDeleteArchives:
      quarantine_->DeleteTicked();
      quarantine_->List();
      Refresh();
      return;
    case kUnignore:
      ChangeIgnoreList(ignore_.Rows(), false);
      return;
    case kSchedule:
      ScheduleScan(machine_, view_.prompt(), branding_, resources_, programFolder_, window_,
                   {std::cout, std::cerr});
      return;
    case kOpenLogs:
      Logs().OpenLogsFolder(window_);
      return;
    case kMailLogs:
      Logs().MailLogs(window_, [this](bool enable) { view_.EnableWindows(enable); });
      return;
    case kToggleRow: {
      const auto row = static_cast<std::size_t>(lParam);
      std::vector<removal::ResultRow>* rows = page_ == Page::Ignore ? &ignore_.Rows()
                                              : page_ == Page::Scan ? &scan_.Rows()
                                                                    : nullptr;
      if (rows && row < rows->size()) (*rows)[row].ticked = !(*rows)[row].ticked;
      if (page_ == Page::Quarantine && row < quarantine_->Rows().size())
        quarantine_->Tick(row, !quarantine_->Rows()[row].ticked);
      Refresh();
      return;
    }
    default:
      break;
  }
  if (scan_.TickCommand(id)) {
    Refresh();
  } else if (id >= kNoticeFirstBox && id < kNoticeFirstBox + BrowserPagesNotice::BoxCount) {
    const auto box = static_cast<BrowserPagesNotice::Box>(id - kNoticeFirstBox);
    notice_->Tick(box, !notice_->Ticked(box));
    Refresh();
  } else if (id >= kScanSettingsFirstBox && id < kScanSettingsFirstBox + 8) {
    scanSettings_->Toggle(id - kScanSettingsFirstBox);
    Refresh();
  } else {
    static const std::uintptr_t kOptionBoxes[] = {
        kWindowsStartUp,   kMoveDeleted, kAutoProgramUpdate, kAutoDatabaseUpdate, kAutomaticRemoval,
        kExitWhenFinished, kCorvane};
    for (std::size_t box = 0; box < std::size(kOptionBoxes); ++box) {
      if (id != kOptionBoxes[box]) continue;
      // Turning start-with-Windows on shows the scan settings (message 1233).
      if (options_->Toggle(box)) send(ShowScanSettingsMessage3);
      if (page_ == Page::Options) Refresh();
      return;
    }
  }
}

void MainWindow::ProcessRebootDeletion() {
  const removal::RebootReport report =
      removal::ProcessRebootDeletion(machine_, removal_->Host(), session_->Engine().Processes());
  const std::string question = resources_.Format(
      kRebootReportText,
      {static_cast<long long>(report.removed), static_cast<long long>(report.notRemoved)});
  if (view_.prompt().MessageBoxA(window_, question.c_str(), branding_.APPNAME.c_str(),
                                 platform::MB_YESNO | platform::MB_ICONQUESTION) ==
      platform::IDYES) {
    machine_.messages().SetTimer(window_, kScanSoonTimer, kScanSoonDelay, nullptr);
  } else {
    Close();
  }
}

void MainWindow::ConfirmRemoval() {
  if (scanRunning_ || quarantineWorker_.joinable() || !removal_) return;
  if (removal_->Confirm(scan_.Rows())) {
    removing_ = true;
    machine_.messages().PostMessageA(window_, RemovalRequestMessage, 1, 1);
  }
}

void MainWindow::StartQuarantine() {
  if (quarantineWorker_.joinable()) return;
  removing_ = true;
  quarantineWorker_ = std::thread([this] {
    // A failed step removes nothing: the rows stay as they are.
    machine_.messages().PostMessageA(
        window_, removal_->Quarantine() ? QuarantineCompleteMessage : QuarantineFailedMessage, 1,
        1);
  });
}

void MainWindow::FinishRemoval() {
  if (quarantineWorker_.joinable()) quarantineWorker_.join();
  const removal::RemovalOutcome outcome = removal_->Run(scan_.Rows());
  removing_ = false;
  if (!window_) return;
  view_.ShowStatus(DefaultStatus());  // the removal's progress text has done its work
  if (outcome.everythingRemoved) {
    results_.Open(resources_, session_->Settings());
    ShowPage(Page::Results);
  } else {
    Refresh();
  }
}

platform::LRESULT MainWindow::Procedure(platform::HWND, platform::UINT message,
                                        platform::WPARAM wParam, platform::LPARAM lParam) {
  switch (message) {
    case StartScanMessage:
      StartScan();
      return 0;
    case ShowQuarantineMessage:
      quarantine_->List();
      ShowPage(Page::Quarantine);
      return 0;
    case ShowIgnoreMessage:
      ignore_.Fill(session_->Engine().Ignored());
      ShowPage(Page::Ignore);
      return 0;
    case HidePagesMessage:
      ShowPage(Page::Hidden);
      return 0;
    case ShowScanSettingsMessage:
    case ShowScanSettingsMessage2:
    case ShowScanSettingsMessage3:
      scanSettings_->Open();
      ShowPage(Page::ScanSettings);
      return 0;
    case ShowStartMessage:
      start_.Open(resources_, session_->Settings());
      ShowPage(Page::Start);
      ReadBrowserPages();
      return 0;
    case OpenAddressMessage:
      OpenAddress(wParam);
      return 0;
    case ShowDetailsMessage:
      if (wParam < scan_.Rows().size()) {
        details_.Fill(resources_, scan_.Rows()[wParam].item);
        ShowPage(Page::ObjectDetails);
      }
      return 0;
    case ShowAboutMessage:
      about_.Open(branding_, session_->Database().version, session_->Database().date);
      ShowPage(Page::About);
      return 0;
    case RemovalRequestMessage:
      StartQuarantine();
      return 0;
    case QuarantineCompleteMessage:
      FinishRemoval();
      return 0;
    case QuarantineFailedMessage:
      // The worker has ended; the remove button works again.
      if (quarantineWorker_.joinable()) quarantineWorker_.join();
      removing_ = false;
      return 0;
    case UpdateRequestMessage:
      if (updates_) updates_->Request();
      return 0;
    case UpdateStatusMessage:
      if (updates_) updates_->OnStatus(static_cast<int>(wParam));
      return 0;
    case ShowScanningMessage:
      ShowScanning();
      return 0;
    case ScanProgressMessage:
      if (wParam == 1 && lParam) AddFoundRow(*reinterpret_cast<const scan::FoundItem*>(lParam));
      PollProgress();
      return 0;
    case AbortScanMessage:
      if (session_) session_->Engine().AbortScan();
      return 0;
    case LogLineMessage:
      if (session_ && lParam) session_->Log().LogLine(reinterpret_cast<const char*>(lParam));
      return 0;
    case WM_COMMAND:
      OnCommand(wParam & 0xFFFF, lParam);
      return 0;
    case WM_CONTEXTMENU:
      scan_.OpenMenu(static_cast<platform::LPARAM>(wParam) < 0
                         ? std::nullopt
                         : std::optional<std::size_t>(wParam));
      if (page_ == Page::Scan) Refresh();
      return 0;
    case WM_LBUTTONDOWN: {
      const int x = static_cast<int>(lParam & 0xFFFF),
                y = static_cast<int>((lParam >> 16) & 0xFFFF);
      if (x < kLogoWidth && view_.ClientSize().second - y < kLogoHeight &&
          !branding_.URLLOGO.empty())
        OpenAddress(kLogoAddress);
      return 0;
    }
    case platform::WM_TIMER:
      OnTimer(wParam);
      return 0;
    case platform::WM_ACTIVATE:
      view_.Activate();
      return 0;
    case platform::WM_CLOSE:
      if (scanRunning_) {
        Say(kScanRunningText);
      } else {
        Close();
      }
      return 0;
    default:
      return 0;
  }
}

}  // namespace app
