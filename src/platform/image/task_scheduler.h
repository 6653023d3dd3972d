// The task scheduler of a machine image, over its task store: what CoCreateInstance makes of
// CLSID_CTaskScheduler there. Its schedule page is shown through the prompt.
#pragma once

#include "platform/scheduler.h"

namespace platform {

ITaskScheduler* NewTaskScheduler(Files& files, Registry& registry, System& system);

}  // namespace platform
