#include "ui/console_view.h"

namespace ui {

void ConsoleView::ShowStatus(const std::string& text) {
  std::lock_guard guard(lock_);
  status_ = text;
  out_ << text << std::endl;
}

void ConsoleView::Activate() {
  std::lock_guard guard(lock_);
  out_ << status_ << std::endl;
}

}  // namespace ui
