// The pages of the Windows window, one per page of the controller, each a panel of the
// window ("window") with its controls. Their controls have the ids of the commands they send
// (view_ids.h has the others), so that a person's tools and the tests find them.
#pragma once

#include <memory>
#include <string>

#include "ui/win32/page.h"

namespace ui::win32 {

// The scan page also takes the rows, progress and end of a running scan as they come.
class ScanPageView : public Page {
 public:
  using Page::Page;
  virtual void AppendRow(const app::FoundRow& row) = 0;
  virtual void ShowProgress(const app::ScanProgressView& progress) = 0;
  virtual void ShowEnd(const std::string& status, const std::string& button) = 0;
};

std::unique_ptr<Page> MakeNoticePage(PageContext& context, void* window);
std::unique_ptr<Page> MakeStartPage(PageContext& context, void* window);
std::unique_ptr<Page> MakeAboutPage(PageContext& context, void* window);
std::unique_ptr<Page> MakeDetailsPage(PageContext& context, void* window);
std::unique_ptr<Page> MakeResultsPage(PageContext& context, void* window);
std::unique_ptr<Page> MakeOptionsPage(PageContext& context, void* window);
std::unique_ptr<Page> MakeScanSettingsPage(PageContext& context, void* window);
std::unique_ptr<ScanPageView> MakeScanPage(PageContext& context, void* window);
std::unique_ptr<Page> MakeIgnorePage(PageContext& context, void* window);
std::unique_ptr<Page> MakeQuarantinePage(PageContext& context, void* window);
std::unique_ptr<Page> MakeHiddenPage(PageContext& context, void* window);

}  // namespace ui::win32
