// The page widgets of the Qt window, one per page of the controller. Each is named after its
// page, and its controls carry object names that tests and the screenshots find them by.
#pragma once

#include <QPushButton>
#include <QString>
#include <QTextBrowser>
#include <string>
#include <vector>

#include "ui/qt/page_context.h"

namespace ui::qt {

PageWidget* MakeNoticePage(PageContext& context);
PageWidget* MakeStartPage(PageContext& context);
PageWidget* MakeAboutPage(PageContext& context);
PageWidget* MakeDetailsPage(PageContext& context);
PageWidget* MakeResultsPage(PageContext& context);
PageWidget* MakeOptionsPage(PageContext& context);
PageWidget* MakeScanSettingsPage(PageContext& context);
// The scan page also takes the rows, progress and end of a running scan as they come.
class ScanPageWidget : public PageWidget {
 public:
  using PageWidget::PageWidget;
  virtual void AppendRow(const app::FoundRow& row) = 0;
  virtual void ShowProgress(const app::ScanProgressView& progress) = 0;
  virtual void ShowEnd(const std::string& status, const std::string& button) = 0;
};
ScanPageWidget* MakeScanPage(PageContext& context);
PageWidget* MakeIgnorePage(PageContext& context);
PageWidget* MakeQuarantinePage(PageContext& context);
PageWidget* MakeHiddenPage(PageContext& context);

// Shared by the pages.
// A push button with the text of the id that sends the command when clicked.
QPushButton* CommandButton(PageContext& context, unsigned textId, std::uintptr_t command,
                           const char* name);
// An HTML page of the resource library with text lines added as paragraphs at its end (the
// lines are plain text); the lines alone when the library has no such page.
QString PageHtml(PageContext& context, unsigned pageId, const std::vector<std::string>& lines);
QTextBrowser* TextBrowser(const char* name);

}  // namespace ui::qt
