// The main window's view on a console: the status line is printed on standard output, one
// line each time it changes, and questions are asked on the terminal.
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
