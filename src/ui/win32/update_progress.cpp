#include "ui/win32/update_progress.h"

#include "ui/win32/control_calls.h"
#include "ui/win32/view_ids.h"
#include "updater/corvane.h"

namespace ui::win32 {
namespace {

namespace sys = ::win32::view;

}  // namespace

UpdateProgress::~UpdateProgress() {
  sys::Destroy(dialog_);
}

void UpdateProgress::Present(const Shown& shown, void* owner) {
  if (!dialog_) {
    if (!shown.visible) return;
    dialog_ = sys::OpenDialog(IDD_UPDATE_PROGRESS, owner, this);
    if (!dialog_) return;
  }
  sys::SetText(dialog_, shown.caption);
  sys::SetText(sys::DialogItem(dialog_, IDC_UPDATE_STATUS), shown.status);
  sys::SetText(sys::DialogItem(dialog_, IDC_UPDATE_TIME_LEFT), shown.timeLeft);
  sys::SetText(sys::DialogItem(dialog_, IDC_UPDATE_RATE), shown.rate);
  sys::SetProgress(sys::DialogItem(dialog_, IDC_UPDATE_BAR), shown.bar);
  if (shown.visible && !sys::Visible(dialog_)) sys::BringToFront(dialog_);
  if (!shown.visible && sys::Visible(dialog_)) sys::Show(dialog_, false);
}

void UpdateProgress::Command(int id, int) {
  // The library hides its window and stops the download after its next block.
  if (id == sys::kCancelButton) CvCancelDownload();
}

}  // namespace ui::win32
