// The window that shows the definitions database loading: the brand's picture, the loading
// texts the controller gives as status texts, and a bar for how far it has come. It opens
// when the controller's pages come and closes when the first page is shown; the loading
// keeps the window's thread busy, so the window is drawn at once at each step.
#pragma once

#include <string>

#include "app/branding_settings.h"
#include "app/resources.h"
#include "ui/win32/dialog_calls.h"

namespace ui::win32 {

class LoadingDialog : public ::win32::view::DialogEvents {
 public:
  LoadingDialog(const app::BrandingSettings& branding, const app::Resources& texts);
  ~LoadingDialog() override;
  LoadingDialog(const LoadingDialog&) = delete;
  LoadingDialog& operator=(const LoadingDialog&) = delete;

  // A status text of the loading, and the bar's step for it.
  void Show(const std::string& status);

 private:
  const app::Resources& texts_;
  void* dialog_;
  void* picture_;
};

}  // namespace ui::win32
