// The program's main window: the single controller of its pages. Titled with the application
// name so that a second instance finds it, it runs on the user-interface thread's message
// loop, switches pages, starts scans and removals, and closes the program. Pages are models
// (page_models.h); the view shows what the window decides.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/branding_settings.h"
#include "app/browser_pages_notice.h"
#include "app/main_view.h"
#include "app/page_ids.h"
#include "app/page_models.h"
#include "app/quarantine_page.h"
#include "app/removal_flow.h"
#include "app/resources.h"
#include "app/scan_session.h"
#include "app/update_checker.h"
#include "log/log_mailer.h"
#include "platform/machine.h"

namespace app {

// Private messages of the main window.
constexpr platform::UINT StartScanMessage = platform::WM_USER + 207;           // 1231
constexpr platform::UINT RemovalRequestMessage = platform::WM_USER + 218;      // 1242
constexpr platform::UINT QuarantineCompleteMessage = platform::WM_USER + 219;  // 1243
// The quarantine step failed: nothing is removed.
constexpr platform::UINT QuarantineFailedMessage = platform::WM_USER + 220;  // 1244
constexpr platform::UINT ScanProgressMessage = 3002;
constexpr platform::UINT ScanPhaseMessage = 3009;
constexpr platform::UINT AbortScanMessage = 3010;
constexpr platform::UINT LogLineMessage = 3011;

// Timers of the main window.
constexpr std::uintptr_t kScanSoonTimer = 101;       // "-t": a scan 2000 ms after opening
constexpr std::uintptr_t kStartUpScanTimer = 102;    // "-s": the start-up scan setting
constexpr std::uintptr_t kScanProgressTimer = 6969;  // the progress poll while scanning

class MainWindow {
 public:
  // programFolder ends with a backslash.
  MainWindow(platform::Machine& machine, const BrandingSettings& branding,
             const Resources& resources, MainView& view, std::string commandLine,
             std::string programFolder);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window, initialises it and handles the thread's messages until the window
  // closes. preTranslate sees every message before it is dispatched.
  void RunModal(const std::function<void(const platform::MSG&)>& preTranslate);

  platform::HWND Handle() const { return window_; }
  void ShowStatus(const std::string& text) { view_.ShowStatus(text); }
  // The status line when no control has a hint: string 132 with the name and version.
  std::string DefaultStatus() const;
  // Starts a scan on a worker thread unless one runs.
  void StartScan();
  bool ScanRunning() const { return scanRunning_; }
  ScanSession* Session() { return session_.get(); }

  // The pages, for views and tests; only on the user-interface thread.
  Page CurrentPage() const { return page_; }
  platform::Machine& Machine() { return machine_; }
  const Resources& Texts() const { return resources_; }
  const BrandingSettings& Branding() const { return branding_; }
  const StartPage& Start() const { return start_; }
  const AboutPage& About() const { return about_; }
  const ObjectDetailsPage& Details() const { return details_; }
  const ResultsPage& Results() const { return results_; }
  ScanPage& Scan() { return scan_; }
  IgnorePage& Ignore() { return ignore_; }
  QuarantinePage* Quarantine() { return quarantine_.get(); }
  OptionsPage* Options() { return options_.get(); }
  ScanSettingsPage* ScanSettings() { return scanSettings_.get(); }
  BrowserPagesNotice* Notice() { return notice_.get(); }
  UpdateChecker* Updates() { return updates_.get(); }
  std::vector<removal::ResultRow>& Rows() { return scan_.Rows(); }
  // The remove role of the scan page's button: the confirmation, then the quarantine step on
  // a worker thread (message 1242) and the removal when it ends (message 1243).
  void ConfirmRemoval();

 private:
  platform::LRESULT Procedure(platform::HWND window, platform::UINT message,
                              platform::WPARAM wParam, platform::LPARAM lParam);
  void Initialise();
  void ReadOptions();
  void ReadBrowserPages();
  void Close();
  void OnTimer(std::uintptr_t id);
  void OnCommand(std::uintptr_t id, platform::LPARAM lParam);
  // Shows a page with its header (the page's own unless given) and content.
  void ShowPage(Page page, unsigned header = 0);
  // Shows the current page again after its content changed.
  void Refresh();
  std::vector<std::string> PageLines(Page page) const;
  void ShowScanning();
  void StartPageScan();
  void OpenAddress(platform::WPARAM which);
  void ScanButton();
  // The ignore list's page commands on the ticked rows of a list: ignore (the results) or
  // unignore (the ignore page); ObjectsIgnored follows.
  void ChangeIgnoreList(std::vector<removal::ResultRow>& rows, bool ignore);
  void AddFoundRow(const scan::FoundItem& item);
  void PollProgress();
  void StartQuarantine();
  void FinishRemoval();
  void ProcessRebootDeletion();
  void Say(unsigned textId);
  // The logs' commands, made when first used.
  logging::LogMailer& Logs();

  platform::Machine& machine_;
  const BrandingSettings& branding_;
  const Resources& resources_;
  MainView& view_;
  std::string commandLine_;
  std::string programFolder_;
  platform::HWND window_ = nullptr;
  bool scanRunning_ = false;
  bool lastScanModeRequested_ = false;
  bool removing_ = false;  // from the confirmation until the removal has ended
  std::unique_ptr<ScanSession> session_;
  std::thread worker_;
  std::unique_ptr<RemovalFlow> removal_;
  std::thread quarantineWorker_;

  Page page_ = Page::Notice;
  unsigned scanHeader_ = 0;
  // The options read at initialisation and again when the options are applied.
  bool autoDatabaseUpdate_ = true, autoProgramUpdate_ = true, automaticRemoval_ = false,
       exitWhenFinished_ = false, corvane_ = true;
  std::string browserStartPage_, browserSearchPage_;
  StartPage start_;
  AboutPage about_;
  ObjectDetailsPage details_;
  ResultsPage results_;
  ScanPage scan_;
  IgnorePage ignore_;
  std::unique_ptr<OptionsPage> options_;
  std::unique_ptr<ScanSettingsPage> scanSettings_;
  std::unique_ptr<QuarantinePage> quarantine_;
  std::unique_ptr<BrowserPagesNotice> notice_;
  std::unique_ptr<UpdateChecker> updates_;
  std::unique_ptr<logging::LogMailer> logs_;
};

}  // namespace app
