// Which view the program shows: the Qt window where a display is available, otherwise the
// console; VEXMARL_VIEW=console|qt decides when it is set.
#pragma once

#include <functional>
#include <string>

namespace ui {

enum class ViewKind { Console, Qt };

struct ViewChoice {
  ViewKind kind = ViewKind::Console;
  // Set when VEXMARL_VIEW holds a value that names no view (the display then decides).
  std::string ignoredValue;
};

// environment returns a variable's value, or null when it is not set.
ViewChoice ChooseView(const std::function<const char*(const char*)>& environment);

}  // namespace ui
