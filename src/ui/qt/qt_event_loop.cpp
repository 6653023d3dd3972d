#include "ui/qt/qt_event_loop.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

namespace ui::qt {

int RunJoinedLoop(platform::ImageMessages& messages,
                  const std::function<void(const platform::MSG&)>& preTranslate) {
  QEventLoop loop;
  QSocketNotifier wake(messages.QueueWakeDescriptor(), QSocketNotifier::Read);
  QTimer nextTimer;
  nextTimer.setSingleShot(true);
  nextTimer.setTimerType(Qt::PreciseTimer);
  bool quit = false;
  int exitCode = 0;

  // Handles every platform message waiting now, then sets the Qt timer for the next platform
  // timer. A message may open a dialog whose own loop runs this again: each run takes
  // messages until there are none, so nothing is handled twice.
  auto handleMessages = [&] {
    platform::MSG message;
    while (!quit && messages.PeekMessageA(&message, nullptr, 0, 0, platform::PM_REMOVE)) {
      if (message.message == platform::WM_QUIT) {
        quit = true;
        exitCode = static_cast<int>(message.wParam);
        loop.exit(exitCode);
        return;
      }
      if (preTranslate) preTranslate(message);
      messages.TranslateMessage(&message);
      messages.DispatchMessageA(&message);
    }
    if (quit) return;
    const int due = messages.MillisecondsToNextTimer();
    if (due < 0)
      nextTimer.stop();
    else
      nextTimer.start(due);
  };
  QObject::connect(&wake, &QSocketNotifier::activated, &loop, handleMessages);
  QObject::connect(&nextTimer, &QTimer::timeout, &loop, handleMessages);
  QTimer::singleShot(0, &loop, handleMessages);
  loop.exec();
  return exitCode;
}

}  // namespace ui::qt
