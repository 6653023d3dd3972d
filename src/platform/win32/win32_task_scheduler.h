// The system's task scheduler (mstask's CLSID_CTaskScheduler) as the platform's
// ITaskScheduler: what Win32Com::CoCreateInstance makes of CLSID_CTaskScheduler. Its tasks are
// Win32Tasks over the system's.
#pragma once

#include "platform/scheduler.h"

namespace platform {

// The system's scheduler made in that class context, as the platform's, asked for the
// interface iid; the system's result when it cannot be made.
HRESULT CreateWin32TaskScheduler(DWORD context, const IID& iid, void** object);

}  // namespace platform
