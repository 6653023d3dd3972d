// The main window's view on Windows, in Win32 and the common controls: the controller's
// pages drawn as controls in one top-level window, the definitions' loading and the update
// download in windows of their own, dialogs behind the prompt, and the thread's message
// loop with the dialog keys. Common controls 6 give it the look of the system where the
// program's manifest gets them; version 5.8 draws it the classic way.
#pragma once

#include <functional>
#include <memory>

#include "app/main_view.h"
#include "ui/win32/frame.h"
#include "ui/win32/loading_dialog.h"
#include "ui/win32/update_progress.h"
#include "ui/win32/win32_view_prompt.h"

namespace ui::win32 {

class Win32MainView : public app::MainView {
 public:
  explicit Win32MainView(platform::Machine& machine);
  ~Win32MainView() override;
  Win32MainView(const Win32MainView&) = delete;
  Win32MainView& operator=(const Win32MainView&) = delete;

  void ShowPage(const app::PageShown& page) override;
  void AddRow(const app::FoundRow& row) override;
  void ShowScanProgress(const app::ScanProgressView& progress) override;
  void ShowScanEnd(const std::string& status, const std::string& button) override;
  void ShowStatus(const std::string& text) override;
  void Activate() override;
  void EnableWindows(bool enable) override;
  void PlaceWindow(int x, int y, int widthPercent, int heightPercent) override;
  std::pair<int, int> ClientSize() const override;
  platform::Prompt& prompt() override { return prompt_; }
  void Attach(app::MainWindow* window) override;
  // The system's queue of this thread is the controller's and the window's: one loop takes
  // both, with the dialog keys of the window and of the download's progress.
  void RunMessageLoop(platform::Messages& messages,
                      const std::function<void(const platform::MSG&)>& preTranslate) override;

  // The download's progress, from the update library's threads.
  void PresentUpdate(const UpdateProgress::Shown& shown);

 private:
  std::unique_ptr<Frame> frame_;
  Win32ViewPrompt prompt_;
  std::unique_ptr<LoadingDialog> loading_;
  UpdateProgress updateProgress_;
};

}  // namespace ui::win32
