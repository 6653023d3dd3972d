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

void ConsoleView::ShowPage(const std::string& header) {
  std::lock_guard guard(lock_);
  out_ << header << std::endl;
}

void ConsoleView::AddRow(const app::FoundRow& row) {
  std::lock_guard guard(lock_);
  out_ << row.kindLabel << '\t' << row.entryName << '\t' << row.text << std::endl;
}

void ConsoleView::ShowScanEnd(const std::string& status, const std::string&) {
  std::lock_guard guard(lock_);
  out_ << status << std::endl;
}

}  // namespace ui
