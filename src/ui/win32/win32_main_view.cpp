#include "ui/win32/win32_main_view.h"

#include "app/main_window.h"
#include "ui/win32/control_calls.h"
#include "updater/corvane.h"

namespace ui::win32 {
namespace {

// The update library's progress view, from its download thread.
void PresentUpdateProgress(const CvProgressView* view, void* context) {
  UpdateProgress::Shown shown;
  shown.caption = view->caption ? view->caption : "";
  shown.status = view->status ? view->status : "";
  shown.timeLeft = view->timeLeft ? view->timeLeft : "";
  shown.rate = view->rate ? view->rate : "";
  shown.bar = view->bar;
  shown.visible = view->visible != 0;
  static_cast<Win32MainView*>(context)->PresentUpdate(shown);
}

// The controls' classes are there before the first window.
std::unique_ptr<Frame> MakeFrame() {
  sys::StartCommonControls();
  sys::RegisterViewClasses();
  return std::make_unique<Frame>();
}

}  // namespace

// The downloads of updates show their progress in a dialog of the view's, which lives as long
// as the view: a download's thread may still report after the window has closed.
Win32MainView::Win32MainView(platform::Machine&) : frame_(MakeFrame()), prompt_(*frame_) {
  CvSetProgressPresenter(&PresentUpdateProgress, this);
}

Win32MainView::~Win32MainView() {
  CvSetProgressPresenter(nullptr, nullptr);
}

void Win32MainView::PresentUpdate(const UpdateProgress::Shown& shown) {
  frame_->Later([this, shown] { updateProgress_.Present(shown, frame_->Handle()); });
}

void Win32MainView::Attach(app::MainWindow* window) {
  if (!window) {
    loading_.reset();
    frame_->Close();
    return;
  }
  frame_->Open(*window);
  loading_ = std::make_unique<LoadingDialog>(window->Branding(), window->Texts());
}

void Win32MainView::RunMessageLoop(platform::Messages&,
                                   const std::function<void(const platform::MSG&)>& preTranslate) {
  sys::QueuedMessage message;
  while (sys::TakeMessage(&message) > 0) {
    if (preTranslate)
      preTranslate(platform::MSG{message.window, message.message, message.wParam, message.lParam,
                                 message.time});
    if (message.message == sys::kMouseMoveMessage)
      frame_->MouseMoved(message.window);
    else if (message.message == sys::kMouseLeaveMessage)
      frame_->MouseLeft(message.window);
    void* progress = updateProgress_.Handle();
    if (progress && sys::Within(progress, message.window) &&
        sys::HandleDialogKey(progress, message))
      continue;
    if (sys::Within(frame_->Handle(), message.window) &&
        sys::HandleDialogKey(frame_->Handle(), message))
      continue;
    sys::Dispatch(message);
  }
}

void Win32MainView::ShowPage(const app::PageShown& page) {
  frame_->ShowPage(page);
  loading_.reset();  // the window is on the screen now
}

void Win32MainView::AddRow(const app::FoundRow& row) {
  if (ScanPageView* scan = frame_->ScanPage()) scan->AppendRow(row);
}

void Win32MainView::ShowScanProgress(const app::ScanProgressView& progress) {
  if (ScanPageView* scan = frame_->ScanPage()) scan->ShowProgress(progress);
}

void Win32MainView::ShowScanEnd(const std::string& status, const std::string& button) {
  if (ScanPageView* scan = frame_->ScanPage()) scan->ShowEnd(status, button);
  frame_->UpdateNavigation();
}

void Win32MainView::ShowStatus(const std::string& text) {
  frame_->ShowStatus(text);
  // While the definitions load, their texts are the loading window's.
  if (loading_ && sys::OnOwnThread(frame_->Handle())) loading_->Show(text);
}

void Win32MainView::Activate() {
  if (sys::Shown(frame_->Handle())) sys::BringToFront(frame_->Handle());
}

void Win32MainView::EnableWindows(bool enable) {
  frame_->Later([this, enable] {
    sys::Enable(frame_->Handle(), enable);
    if (enable && frame_->Showing()) sys::BringToFront(frame_->Handle());
  });
}

void Win32MainView::PlaceWindow(int x, int y, int widthPercent, int heightPercent) {
  frame_->Place(x, y, widthPercent, heightPercent);
}

std::pair<int, int> Win32MainView::ClientSize() const {
  return frame_->ClientSize();
}

}  // namespace ui::win32
