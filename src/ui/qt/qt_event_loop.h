// One thread, two event loops: Qt's and the platform's message queue of the same thread.
#pragma once

#include <functional>

#include "platform/image/image_messages.h"

namespace ui::qt {

// Runs Qt's event loop with the calling thread's platform messages joined in: the queue's
// wake descriptor is watched by a socket notifier and the next platform timer is a Qt timer,
// so a message from another thread or process, or a timer, is handled as soon as it is due,
// without polling. Each platform message is seen by preTranslate before it is dispatched.
// Returns the quit message's exit code.
int RunJoinedLoop(platform::ImageMessages& messages,
                  const std::function<void(const platform::MSG&)>& preTranslate);

}  // namespace ui::qt
