#include "ui/console_view.h"

#include "app/page_ids.h"

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

void ConsoleView::ShowPage(const app::PageShown& page) {
  std::lock_guard guard(lock_);
  // A page without a header (the notice) is named by its content alone.
  if (!page.header.empty()) out_ << page.header << std::endl;
  for (const std::string& line : page.lines) out_ << "  " << line << std::endl;
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
