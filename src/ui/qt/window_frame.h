// The top-level window of the Qt view: the brand's header with the page's header text, the
// navigation buttons, one stack with every page, and the status line with the brand's logo.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QWidget>
#include <functional>
#include <map>
#include <vector>

#include "ui/qt/page_context.h"
#include "ui/qt/pages.h"

namespace ui::qt {

class WindowFrame : public QWidget {
 public:
  // hovered receives the control under the mouse whenever it changes.
  WindowFrame(app::MainWindow& window, std::function<void(platform::HWND)> hovered);
  ~WindowFrame() override;

  void ShowPage(const app::PageShown& shown);
  void ShowStatus(const QString& text);
  ScanPageWidget& ScanPageView() { return *scanPage_; }
  app::MainWindow& Controller() const { return context_.Window(); }
  // The navigation follows the scan: disabled while one runs.
  void UpdateNavigation();
  // Lets the window close itself (the controller has closed it).
  void AllowClose() { closing_ = true; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* MakeHeader();
  QWidget* MakeNavigation();
  QWidget* MakeFooter();
  void Hovered(QWidget* widget);

  PageContext context_;
  std::function<void(platform::HWND)> hovered_;
  QLabel* pageHeader_ = nullptr;
  QLabel* status_ = nullptr;
  QStackedWidget* stack_ = nullptr;
  std::map<app::Page, PageWidget*> pages_;
  ScanPageWidget* scanPage_ = nullptr;
  struct NavigationButton {
    QPushButton* button;
    std::vector<app::Page> pages;  // the pages it shows
  };
  std::vector<NavigationButton> navigation_;
  bool closing_ = false;
};

}  // namespace ui::qt
