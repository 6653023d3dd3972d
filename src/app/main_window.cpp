#include "app/main_window.h"

#include "app/program_folder.h"
#include "foundation/setting_names.h"
#include "removal/reboot_removal.h"

namespace app {
namespace {

namespace setting = foundation::setting;

constexpr platform::UINT kScanSoonDelay = 2000;
constexpr platform::UINT kProgressPeriod = 200;

// Resource strings.
constexpr unsigned kLoadingText = 80;
constexpr unsigned kDatabaseMissingText = 81;
constexpr unsigned kDatabaseUnreadableText = 83;
constexpr unsigned kHomeText = 117;
constexpr unsigned kScanStoppedText = 119;
constexpr unsigned kScanFinishedText = 124;
constexpr unsigned kDefaultStatusText = 132;
constexpr unsigned kScanningHeader = 152;
constexpr unsigned kRemoveSelectedText = 155;
constexpr unsigned kScanRunningText = 156;
constexpr unsigned kRebootReportText = 144;
constexpr unsigned kRemovalResultsHeader = 175;

}  // namespace

MainWindow::MainWindow(platform::Machine& machine, const BrandingSettings& branding,
                       const Resources& resources, MainView& view, std::string commandLine)
    : machine_(machine),
      branding_(branding),
      resources_(resources),
      view_(view),
      commandLine_(std::move(commandLine)) {}

MainWindow::~MainWindow() {
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
  Initialise();
  platform::MSG message;
  while (messages.GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (preTranslate) preTranslate(message);
    messages.TranslateMessage(&message);
    messages.DispatchMessageA(&message);
  }
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
  const std::string programFolder = ProgramFolder(machine_.processes());
  session_ = std::make_unique<ScanSession>(machine_, branding_, resources_, programFolder,
                                           std::move(events));
  removal_ = std::make_unique<RemovalFlow>(machine_, *session_, branding_, resources_,
                                           view_.prompt(), programFolder);
  removal_->Host().closeMainWindow = [this] { Close(); };
  removal_->Host().showProgress = [this](const std::string& text) { view_.ShowStatus(text); };
  view_.ShowStatus(resources_.String(kLoadingText));
  switch (session_->LoadDefinitions()) {
    case definitions::LoadError::None:
      break;
    case definitions::LoadError::Missing:
      view_.ShowStatus(resources_.String(kDatabaseMissingText));
      break;
    default:
      view_.ShowStatus(resources_.String(kDatabaseUnreadableText));
      break;
  }
  if (commandLine_ == "-t") {
    messages.SetTimer(window_, kScanSoonTimer, kScanSoonDelay, nullptr);
  } else if (commandLine_ == "-s") {
    messages.SetTimer(window_, kStartUpScanTimer, kScanSoonDelay, nullptr);
  } else if (commandLine_ == removal::kRebootArgument) {
    ProcessRebootDeletion();
    if (!window_) return;
  }
  view_.ShowStatus(DefaultStatus());
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
  if (removal_->Confirm(rows_))
    machine_.messages().PostMessageA(window_, RemovalRequestMessage, 1, 1);
}

void MainWindow::StartQuarantine() {
  if (quarantineWorker_.joinable()) return;
  quarantineWorker_ = std::thread([this] {
    // A failed step removes nothing: the rows stay as they are.
    if (removal_->Quarantine())
      machine_.messages().PostMessageA(window_, QuarantineCompleteMessage, 1, 1);
  });
}

void MainWindow::FinishRemoval() {
  if (quarantineWorker_.joinable()) quarantineWorker_.join();
  const removal::RemovalOutcome outcome = removal_->Run(rows_);
  if (window_ && outcome.everythingRemoved)
    view_.ShowPage(resources_.String(kRemovalResultsHeader));
}

void MainWindow::Close() {
  if (!window_) return;
  machine_.messages().DestroyWindow(window_);
  window_ = nullptr;
  machine_.messages().PostQuitMessage(platform::IDOK);
}

void MainWindow::StartScan() {
  if (scanRunning_ || !session_) return;
  session_->Settings().SetNumber(setting::kLastScanMode, lastScanModeRequested_ ? 1 : 0);
  lastScanModeRequested_ = false;
  rows_.clear();
  if (worker_.joinable()) worker_.join();
  worker_ = std::thread([this] { session_->Engine().RunScan(); });
  machine_.messages().SetTimer(window_, kScanProgressTimer, kProgressPeriod, nullptr);
  scanRunning_ = true;
  view_.ShowPage(resources_.String(kScanningHeader));
}

void MainWindow::OnTimer(std::uintptr_t id) {
  platform::Messages& messages = machine_.messages();
  if (id == kScanProgressTimer) {
    PollProgress();
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

std::string MainWindow::KindLabel(scan::FoundItemKind kind) const {
  switch (kind) {
    case scan::FoundItemKind::File:
      return resources_.String(74);
    case scan::FoundItemKind::RegistryKey:
      return resources_.String(75);
    case scan::FoundItemKind::Folder:
      return resources_.String(76);
    case scan::FoundItemKind::RegistryValue:
      return resources_.String(77);
    case scan::FoundItemKind::HostsEntry:
      return resources_.String(78);
    case scan::FoundItemKind::ChangedRegistryValue:
      return resources_.String(166);
  }
  return {};
}

void MainWindow::AddFoundRow(const scan::FoundItem& item) {
  for (const removal::ResultRow& row : rows_)
    if (machine_.Code().EqualNoCase(row.item.text, item.text)) return;
  rows_.push_back({item, true});
  view_.AddRow(FoundRow{item.entry->name, KindLabel(item.kind), item.entry->category, item.text,
                        item.entry->danger});
}

void MainWindow::PollProgress() {
  if (!scanRunning_) return;
  scan::ScanEngine& engine = session_->Engine();
  const scan::ScanCounters& counters = engine.Counters();
  view_.ShowScanProgress(ScanProgressView{engine.GetPhaseText(), engine.GetItemText(),
                                          counters.objectsExamined, counters.itemsFound,
                                          counters.itemsListed, counters.itemsIgnored});
  if (!engine.Finished()) return;
  machine_.messages().KillTimer(window_, kScanProgressTimer);
  worker_.join();
  scanRunning_ = false;
  view_.ShowScanEnd(resources_.String(engine.Aborted() ? kScanStoppedText : kScanFinishedText),
                    resources_.String(rows_.empty() ? kHomeText : kRemoveSelectedText));
}

platform::LRESULT MainWindow::Procedure(platform::HWND, platform::UINT message,
                                        platform::WPARAM wParam, platform::LPARAM lParam) {
  switch (message) {
    case StartScanMessage:
      StartScan();
      return 0;
    case ScanProgressMessage:
      if (wParam == 1 && lParam) AddFoundRow(*reinterpret_cast<const scan::FoundItem*>(lParam));
      PollProgress();
      return 0;
    case RemovalRequestMessage:
      StartQuarantine();
      return 0;
    case QuarantineCompleteMessage:
      FinishRemoval();
      return 0;
    case AbortScanMessage:
      if (session_) session_->Engine().AbortScan();
      return 0;
    case LogLineMessage:
      if (session_ && lParam) session_->Log().LogLine(reinterpret_cast<const char*>(lParam));
      return 0;
    case platform::WM_TIMER:
      OnTimer(wParam);
      return 0;
    case platform::WM_ACTIVATE:
      view_.Activate();
      return 0;
    case platform::WM_CLOSE:
      if (scanRunning_) {
        view_.prompt().MessageBoxA(window_, resources_.String(kScanRunningText).c_str(),
                                   branding_.APPNAME.c_str(), platform::MB_OK);
      } else {
        Close();
      }
      return 0;
    default:
      return 0;
  }
}

}  // namespace app
