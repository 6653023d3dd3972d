// The program's main window: titled with the application name so that a second instance
// finds it, running on the user-interface thread's message loop, starting scans and closing
// the program.
#pragma once

#include <functional>
#include <string>

#include "app/branding_settings.h"
#include "app/main_view.h"
#include "app/resources.h"
#include "platform/machine.h"

namespace app {

// Private messages of the main window.
constexpr platform::UINT StartScanMessage = platform::WM_USER + 207;  // 1231

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

 private:
  platform::LRESULT Procedure(platform::HWND window, platform::UINT message,
                              platform::WPARAM wParam, platform::LPARAM lParam);
  void Initialise();
  void Close();

  platform::Machine& machine_;
  const BrandingSettings& branding_;
  const Resources& resources_;
  MainView& view_;
  std::string commandLine_;
  platform::HWND window_ = nullptr;
  bool scanRunning_ = false;
};

}  // namespace app
