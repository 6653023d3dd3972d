// The main window's view in Qt 6 Widgets: the controller's pages drawn as widgets in one
// top-level window, dialogs behind the prompt, and Qt's event loop joined with the platform's
// message queue on the user-interface thread. A QApplication must exist.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "app/main_view.h"
#include "platform/image/image_machine.h"
#include "ui/qt/qt_prompt.h"

namespace ui::qt {

class WindowFrame;
class UpdateProgress;

class QtMainView : public app::MainView {
 public:
  explicit QtMainView(platform::ImageMachine& machine);
  ~QtMainView() override;

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
  void RunMessageLoop(platform::Messages& messages,
                      const std::function<void(const platform::MSG&)>& preTranslate) override;

  // The window while a controller is attached; null before and after.
  WindowFrame* Frame() const { return frame_.get(); }
  // Called with the frame each time one opens (tests and the screenshots drive it from here).
  void OnOpened(std::function<void(WindowFrame&)> opened) { opened_ = std::move(opened); }

 private:
  platform::ImageMachine& machine_;
  QObject alive_;  // work handed over from other threads ends with the view
  QtPrompt prompt_;
  std::unique_ptr<WindowFrame> frame_;
  std::unique_ptr<UpdateProgress> updateProgress_;
  std::function<void(const platform::MSG&)> preTranslate_;
  std::function<void(WindowFrame&)> opened_;
};

}  // namespace ui::qt
