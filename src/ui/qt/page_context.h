// What every page widget of the Qt window works with: the controller whose models it shows,
// its texts, and the way its controls speak to the controller (commands and messages sent to
// the window, as a dialog's controls do).
#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <string>

#include "app/main_window.h"
#include "app/page_ids.h"

namespace ui::qt {

class PageContext {
 public:
  explicit PageContext(app::MainWindow& window) : window_(window) {}

  app::MainWindow& Window() const { return window_; }
  const platform::CodePage& Code() const { return window_.Machine().Code(); }
  QString Text(unsigned id) const;
  QString ToQt(const std::string& text) const;

  // WM_COMMAND with the id, as a control of the window sends it.
  void Command(std::uintptr_t id, platform::LPARAM lParam = 0) const;
  platform::LRESULT Send(platform::UINT message, platform::WPARAM wParam,
                         platform::LPARAM lParam) const;

  // The handle by which the status-line hints know a control.
  static platform::HWND HandleOf(const QWidget* control) { return const_cast<QWidget*>(control); }
  // Gives a control the hint text with the id.
  void Hint(QWidget* control, unsigned textId) const;

 private:
  app::MainWindow& window_;
};

// A page of the window: it shows its model again whenever the controller shows the page.
class PageWidget : public QWidget {
 public:
  explicit PageWidget(PageContext& context) : context_(context) {}
  virtual void Update(const app::PageShown& shown) = 0;

 protected:
  PageContext& context_;
};

}  // namespace ui::qt
