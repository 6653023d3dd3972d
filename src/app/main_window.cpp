#include "app/main_window.h"

#include "app/program_folder.h"

namespace app {
namespace {

constexpr unsigned kDefaultStatusText = 132;
constexpr unsigned kScanRunningText = 156;

}  // namespace

MainWindow::MainWindow(platform::Machine& machine, const BrandingSettings& branding,
                       const Resources& resources, MainView& view, std::string commandLine)
    : machine_(machine),
      branding_(branding),
      resources_(resources),
      view_(view),
      commandLine_(std::move(commandLine)) {}

MainWindow::~MainWindow() {
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
  view_.ShowStatus(DefaultStatus());
}

void MainWindow::Close() {
  machine_.messages().DestroyWindow(window_);
  window_ = nullptr;
  machine_.messages().PostQuitMessage(platform::IDOK);
}

platform::LRESULT MainWindow::Procedure(platform::HWND, platform::UINT message, platform::WPARAM,
                                        platform::LPARAM) {
  switch (message) {
    case StartScanMessage:
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
