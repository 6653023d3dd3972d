// The program's main window: titled with the application name so that a second instance
// finds it, running on the user-interface thread's message loop, starting scans and closing
// the program.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/branding_settings.h"
#include "app/main_view.h"
#include "app/removal_flow.h"
#include "app/resources.h"
#include "app/scan_session.h"
#include "platform/machine.h"

namespace app {

// Private messages of the main window.
constexpr platform::UINT StartScanMessage = platform::WM_USER + 207;           // 1231
constexpr platform::UINT RemovalRequestMessage = platform::WM_USER + 218;      // 1242
constexpr platform::UINT QuarantineCompleteMessage = platform::WM_USER + 219;  // 1243
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
  MainWindow(platform::Machine& machine, const BrandingSettings& branding,
             const Resources& resources, MainView& view, std::string commandLine);
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
  // The results list: rows are added ticked; the person may untick them.
  std::vector<removal::ResultRow>& Rows() { return rows_; }
  // The remove command of the scan page: the confirmation, then the quarantine step on a
  // worker thread (message 1242) and the removal when it ends (message 1243).
  void ConfirmRemoval();

 private:
  platform::LRESULT Procedure(platform::HWND window, platform::UINT message,
                              platform::WPARAM wParam, platform::LPARAM lParam);
  void Initialise();
  void Close();
  void OnTimer(std::uintptr_t id);
  void AddFoundRow(const scan::FoundItem& item);
  void StartQuarantine();
  void FinishRemoval();
  void ProcessRebootDeletion();
  void PollProgress();
  std::string KindLabel(scan::FoundItemKind kind) const;

  platform::Machine& machine_;
  const BrandingSettings& branding_;
  const Resources& resources_;
  MainView& view_;
  std::string commandLine_;
  platform::HWND window_ = nullptr;
  bool scanRunning_ = false;
  bool lastScanModeRequested_ = false;
  std::unique_ptr<ScanSession> session_;
  std::thread worker_;
  std::unique_ptr<RemovalFlow> removal_;
  std::thread quarantineWorker_;
  std::vector<removal::ResultRow> rows_;
};

}  // namespace app
