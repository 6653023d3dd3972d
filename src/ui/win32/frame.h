// The top-level window of the Windows view: the brand's header with the page's header text,
// the navigation column, the pages' panels of which one is shown, and the status line with
// the brand's logo. The window exists as long as the view; the controller's pages live in it
// from Open to Close. It is the dialog whose keys (Tab, Enter, access keys) the view's message
// loop handles, and it hands the program's own messages on to the controller, whose window
// bears the same title.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ui/win32/pages.h"

namespace ui::win32 {

class Frame : public sys::WindowEvents {
 public:
  Frame();
  ~Frame() override;
  Frame(const Frame&) = delete;
  Frame& operator=(const Frame&) = delete;

  void* Handle() const { return window_; }
  // The controller's pages come in; the window shows at the first page.
  void Open(app::MainWindow& controller);
  // The controller's window has closed: the window hides and its pages go.
  void Close();
  bool Showing() const { return sys::Visible(window_); }

  void ShowPage(const app::PageShown& shown);
  void ShowStatus(const std::string& text);
  // The scan page while the pages are there; null before and after.
  ScanPageView* ScanPage() const { return scanPage_; }
  // The navigation follows the scan: disabled while one runs.
  void UpdateNavigation();
  void Place(int x, int y, int widthPercent, int heightPercent);
  std::pair<int, int> ClientSize() const;

  // Work for the window's thread: Later queues it for after the current message, from any
  // thread; RunHere runs it there and waits.
  void Later(std::function<void()> work);
  void RunHere(const std::function<void()>& work);

  // The mouse as the message loop sees it: the skinned button under it is drawn lit.
  void MouseMoved(void* window);
  void MouseLeft(void* window);

  void Resized(int width, int height) override;
  bool EraseBackground(sys::Canvas& canvas, const sys::Rect& client) override;
  void Paint(sys::Canvas& canvas, const sys::Rect& dirty) override;
  void Command(int id, int code, void* control) override;
  bool DrawButton(const sys::ButtonDrawing& drawing) override;
  bool WantsHandCursor(void* window, sys::Point client) override;
  bool Closing() override;
  void LeftButtonDown(sys::Point client) override;
  sys::Size MinimumSize() override;
  bool Private(unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
               std::intptr_t* result) override;

 private:
  struct Navigation {
    void* button;
    std::uintptr_t command;        // 0: message 1228 (home)
    std::vector<app::Page> pages;  // the pages it stands for
  };

  void Layout();
  void RunQueued();
  // Enter: the button with the focus, else the page's default button.
  void PressEnter();
  // The focus leaves a control that is hidden or disabled now.
  void KeepFocus();
  bool IsSkinned(void* button) const;
  sys::Rect LogoRect() const;
  sys::Rect FooterRect() const;
  sys::Rect HeaderRect() const;

  void* window_ = nullptr;
  app::MainWindow* controller_ = nullptr;
  std::unique_ptr<Skin> skin_;
  std::unique_ptr<PageContext> context_;
  std::vector<Navigation> navigation_;
  std::map<app::Page, std::unique_ptr<Page>> pages_;
  ScanPageView* scanPage_ = nullptr;
  Page* current_ = nullptr;
  std::string header_, status_;
  bool shownOnce_ = false;
  void* hot_ = nullptr;
  std::mutex queueLock_;  // guards queue_
  std::deque<std::function<void()>> queue_;
};

}  // namespace ui::win32
