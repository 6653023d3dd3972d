#include "app/main_view.h"

namespace app {

void MainView::RunMessageLoop(platform::Messages& messages,
                              const std::function<void(const platform::MSG&)>& preTranslate) {
  platform::MSG message;
  while (messages.GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (preTranslate) preTranslate(message);
    messages.TranslateMessage(&message);
    messages.DispatchMessageA(&message);
  }
}

}  // namespace app
