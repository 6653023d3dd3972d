// The main window's view on a console: the status line, each page shown (its header, then
// its content indented by two blanks), found rows and the end of a scan are printed on
// standard output, and questions are asked on the terminal.
#pragma once

#include <iostream>
#include <mutex>
#include <string>

#include "app/main_view.h"
#include "platform/prompt.h"

namespace ui {

class ConsoleView : public app::MainView {
 public:
  ConsoleView(std::istream& in, std::ostream& out, bool interactive)
      : out_(out), prompt_(in, out, interactive) {}

  void ShowStatus(const std::string& text) override;
  void ShowPage(const app::PageShown& page) override;
  // One line per row: kind label, entry name and item text, separated by tabs.
  void AddRow(const app::FoundRow& row) override;
  // The console shows no live progress: a scan's lines and its end are enough here.
  void ShowScanProgress(const app::ScanProgressView&) override {}
  void ShowScanEnd(const std::string& status, const std::string& button) override;
  // The console cannot raise itself; it shows its status line again instead.
  void Activate() override;
  platform::Prompt& prompt() override { return prompt_; }

 private:
  std::ostream& out_;
  platform::ConsolePrompt prompt_;
  std::mutex lock_;  // guards status_ and the output
  std::string status_;
};

}  // namespace ui
