#include "app/hint_table.h"

namespace app {

HintTable& HintTable::Instance() {
  static HintTable table;
  return table;
}

void HintTable::SetText(platform::HWND control, std::string text) {
  std::lock_guard guard(lock_);
  hints_[control] = std::move(text);
}

void HintTable::SetStringId(platform::HWND control, unsigned id) {
  std::lock_guard guard(lock_);
  hints_[control] = id;
}

void HintTable::Remove(platform::HWND control) {
  std::lock_guard guard(lock_);
  hints_.erase(control);
}

std::string HintTable::Lookup(platform::HWND control, const Resources& resources) const {
  std::lock_guard guard(lock_);
  auto found = hints_.find(control);
  if (found == hints_.end()) return {};
  if (auto* text = std::get_if<std::string>(&found->second)) return *text;
  return resources.String(std::get<unsigned>(found->second));
}

}  // namespace app
