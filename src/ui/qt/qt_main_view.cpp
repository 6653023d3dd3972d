#include "ui/qt/qt_main_view.h"

#include <QGuiApplication>
#include <QScreen>

#include "app/application.h"
#include "ui/qt/gui_thread.h"
#include "ui/qt/qt_event_loop.h"
#include "ui/qt/qt_text.h"
#include "ui/qt/update_progress.h"
#include "ui/qt/window_frame.h"

namespace ui::qt {

namespace {

// The update library's progress view, from its download thread, shown in the window's dialog.
void PresentUpdateProgress(const CvProgressView* view, void* context) {
  auto* dialog = static_cast<UpdateProgress*>(context);
  RunOnGuiThread(
      dialog,
      [dialog, caption = QString::fromUtf8(view->caption), status = QString::fromUtf8(view->status),
       timeLeft = QString::fromUtf8(view->timeLeft), rate = QString::fromUtf8(view->rate),
       bar = view->bar, visible = view->visible != 0] {
        dialog->Present(caption, status, timeLeft, rate, bar, visible);
      });
}

}  // namespace

// The downloads of updates show their progress in a dialog of the view's, which lives as long
// as the view: a download's thread may still report after the window has closed.
QtMainView::QtMainView(platform::ImageMachine& machine)
    : machine_(machine),
      prompt_(machine),
      updateProgress_(std::make_unique<UpdateProgress>(nullptr)) {
  CvSetProgressPresenter(&PresentUpdateProgress, updateProgress_.get());
}

QtMainView::~QtMainView() {
  CvSetProgressPresenter(nullptr, nullptr);
}

void QtMainView::Attach(app::MainWindow* window) {
  if (!window) {
    prompt_.SetParent(nullptr);
    prompt_.SetTexts(nullptr);
    if (frame_) {
      frame_->AllowClose();
      frame_->close();
    }
    frame_.reset();
    return;
  }
  frame_ = std::make_unique<WindowFrame>(*window, [this](platform::HWND control) {
    // Moving onto another control is the mouse-move message the hints are made from.
    if (preTranslate_) preTranslate_(platform::MSG{control, app::WM_MOUSEMOVE, 0, 0, 0});
  });
  prompt_.SetParent(frame_.get());
  prompt_.SetTexts(&window->Texts());
  frame_->show();
  if (opened_) opened_(*frame_);
}

void QtMainView::RunMessageLoop(platform::Messages&,
                                const std::function<void(const platform::MSG&)>& preTranslate) {
  // The machine's own queue (the one handed in) joined with Qt's.
  preTranslate_ = preTranslate;
  RunJoinedLoop(machine_.messages(), preTranslate);
  preTranslate_ = nullptr;
}

// The controller calls these on the user-interface thread, Qt's thread; the scan and removal
// workers may show a status text, which is handed over.
void QtMainView::ShowPage(const app::PageShown& page) {
  if (frame_) frame_->ShowPage(page);
}

void QtMainView::AddRow(const app::FoundRow& row) {
  if (frame_) frame_->ScanPageView().AppendRow(row);
}

void QtMainView::ShowScanProgress(const app::ScanProgressView& progress) {
  if (frame_) frame_->ScanPageView().ShowProgress(progress);
}

void QtMainView::ShowScanEnd(const std::string& status, const std::string& button) {
  if (!frame_) return;
  frame_->ScanPageView().ShowEnd(status, button);
  frame_->UpdateNavigation();
}

void QtMainView::ShowStatus(const std::string& text) {
  RunOnGuiThread(&alive_, [this, text = ToQt(machine_.Code(), text)] {
    if (frame_) frame_->ShowStatus(text);
  });
}

void QtMainView::Activate() {
  if (!frame_) return;
  frame_->showNormal();
  frame_->raise();
  frame_->activateWindow();
}

void QtMainView::EnableWindows(bool enable) {
  RunOnGuiThread(&alive_, [this, enable] {
    if (!frame_) return;
    frame_->setEnabled(enable);
    if (enable) frame_->activateWindow();
  });
}

void QtMainView::PlaceWindow(int x, int y, int widthPercent, int heightPercent) {
  if (!frame_) return;
  const QScreen* screen = frame_->screen() ? frame_->screen() : QGuiApplication::primaryScreen();
  const QSize available = screen ? screen->availableGeometry().size() : QSize(1024, 768);
  // The share of the screen, but never smaller than what the pages need.
  const QSize size(std::max(frame_->minimumWidth(), available.width() * widthPercent / 100),
                   std::max(frame_->minimumHeight(), available.height() * heightPercent / 100));
  frame_->setGeometry(x, y, size.width(), size.height());
}

std::pair<int, int> QtMainView::ClientSize() const {
  if (!frame_) return {0, 0};
  return {frame_->width(), frame_->height()};
}

}  // namespace ui::qt
