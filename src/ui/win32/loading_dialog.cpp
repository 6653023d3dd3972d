#include "ui/win32/loading_dialog.h"

#include "ui/win32/control_calls.h"
#include "ui/win32/paint_calls.h"
#include "ui/win32/view_ids.h"

namespace ui::win32 {
namespace {

namespace sys = ::win32::view;

constexpr unsigned kLoadingText = 80, kReadingText = 82;
// The bar at each step: the file looked for, the file being read, done (or failed).
constexpr int kLookingStep = 30, kReadingStep = 65, kDoneStep = 100;

}  // namespace

LoadingDialog::LoadingDialog(const app::BrandingSettings& branding, const app::Resources& texts)
    : texts_(texts),
      dialog_(sys::OpenDialog(IDD_LOADING, nullptr, this)),
      picture_(sys::LoadBitmapFile(branding.Image(app::BrandImage::Flash))) {
  if (!dialog_) return;
  sys::SetText(dialog_, branding.APPNAME);
  if (picture_) sys::SetPicture(sys::DialogItem(dialog_, IDC_LOADING_PICTURE), picture_);
  sys::BringToFront(dialog_);
  sys::PaintNow(dialog_);
}

LoadingDialog::~LoadingDialog() {
  sys::Destroy(dialog_);
  sys::DeleteObject(picture_);
}

void LoadingDialog::Show(const std::string& status) {
  if (!dialog_) return;
  const int step = status == texts_.String(kLoadingText)   ? kLookingStep
                   : status == texts_.String(kReadingText) ? kReadingStep
                                                           : kDoneStep;
  sys::SetText(sys::DialogItem(dialog_, IDC_LOADING_TEXT), status);
  sys::SetProgress(sys::DialogItem(dialog_, IDC_LOADING_BAR), step);
  sys::PaintNow(dialog_);
}

}  // namespace ui::win32
