#include "ui/qt/page_context.h"

#include "app/hint_table.h"
#include "ui/qt/qt_text.h"

namespace ui::qt {

QString PageContext::Text(unsigned id) const {
  return ToQt(window_.Texts().String(id));
}

QString PageContext::ToQt(const std::string& text) const {
  return qt::ToQt(Code(), text);
}

void PageContext::Command(std::uintptr_t id, platform::LPARAM lParam) const {
  Send(app::WM_COMMAND, id, lParam);
}

platform::LRESULT PageContext::Send(platform::UINT message, platform::WPARAM wParam,
                                    platform::LPARAM lParam) const {
  if (!window_.Handle()) return 0;  // the window has closed
  return window_.Machine().messages().SendMessageA(window_.Handle(), message, wParam, lParam);
}

void PageContext::Hint(QWidget* control, unsigned textId) const {
  app::HintTable::Instance().SetStringId(HandleOf(control), textId);
}

}  // namespace ui::qt
