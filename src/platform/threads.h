// Threads by handle, as the system's thread functions give them: a thread started with a
// piece of work, waited for by its handle.
#pragma once

#include <functional>

#include "platform/processes.h"

namespace platform {

// Starts the work on a new thread; null when the thread cannot be made.
HANDLE CreateThread(std::function<void()> work);
// Waits until the thread has ended (INFINITE: however long it takes); WAIT_OBJECT_0 or
// WAIT_TIMEOUT, WAIT_FAILED for a handle that is no thread. The thread's own handle
// cannot be waited for from the thread itself.
DWORD WaitForThread(HANDLE thread, DWORD milliseconds);

}  // namespace platform
