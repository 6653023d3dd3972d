// The status-line hints of the controls: pages add a text or a string id for a control when
// they create it, and the start-up object's mouse pre-screening reads them.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <variant>

#include "app/resources.h"
#include "platform/win32_types.h"

namespace app {

class HintTable {
 public:
  // The one table of the process.
  static HintTable& Instance();

  void SetText(platform::HWND control, std::string text);
  void SetStringId(platform::HWND control, unsigned id);
  void Remove(platform::HWND control);
  // The control's hint, its string id loaded from the resources; empty when it has none.
  std::string Lookup(platform::HWND control, const Resources& resources) const;

 private:
  mutable std::mutex lock_;  // guards hints_
  std::map<platform::HWND, std::variant<std::string, unsigned>> hints_;
};

}  // namespace app
