// What the main window shows, behind one interface: the console view prints it, the Qt
// window draws it, tests record it.
#pragma once

#include <string>

#include "platform/prompt.h"

namespace app {

class MainView {
 public:
  virtual ~MainView() = default;
  // The text of the status line.
  virtual void ShowStatus(const std::string& text) = 0;
  // The framework's own handling of activation: the window comes to the front.
  virtual void Activate() = 0;
  // Message boxes and choosers of the window.
  virtual platform::Prompt& prompt() = 0;
};

}  // namespace app
