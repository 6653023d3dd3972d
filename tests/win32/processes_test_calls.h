// Seam of the processes' test: how often a thread is suspended, as the system counts it, so
// that the test sees the backend's suspension from outside.
#pragma once

namespace win32 {

// The thread's suspend count (0 when it runs), read by suspending it once more and resuming
// it at once; -1 when the thread cannot be opened.
long SuspendCountOfThread(unsigned long threadId);

}  // namespace win32
