#include "ui/view_choice.h"

#include <strings.h>

namespace ui {

ViewChoice ChooseView(const std::function<const char*(const char*)>& environment) {
  ViewChoice choice;
  if (const char* chosen = environment("VEXMARL_VIEW"); chosen && *chosen) {
    if (strcasecmp(chosen, "console") == 0) return choice;
    if (strcasecmp(chosen, "qt") == 0) {
      choice.kind = ViewKind::Qt;
      return choice;
    }
    choice.ignoredValue = chosen;
  }
  for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = environment(display);
    if (value && *value) choice.kind = ViewKind::Qt;
  }
  return choice;
}

}  // namespace ui
