// The components of the Windows system as the program asks for them: COM's per-thread
// initialisation is the system's own, and the classes are the platform's, made over the
// system's services. The only class the program asks for is the task scheduler, the
// platform's over the system's Task Scheduler (win32_task_scheduler.h).
#pragma once

#include "platform/com.h"

namespace platform {

class Win32Com : public Com {
 public:
  HRESULT CoInitialize(void* reserved) override;
  void CoUninitialize() override;
  HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context, const IID& iid,
                           void** object) override;
};

}  // namespace platform
