#include "platform/win32/win32_com.h"

#include "platform/scheduler.h"
#include "platform/win32/com_calls.h"
#include "platform/win32/win32_task_scheduler.h"

namespace platform {

HRESULT Win32Com::CoInitialize(void*) {
  // The system wants the reserved pointer null, whatever the caller gave.
  return static_cast<HRESULT>(win32::InitializeCom());
}

void Win32Com::CoUninitialize() {
  win32::UninitializeCom();
}

HRESULT Win32Com::CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context,
                                   const IID& iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  // The only class the program asks for; the platform knows no other's interfaces. The
  // system answers for the rest: the thread's initialisation, the context, the registration.
  if (!(clsid == CLSID_CTaskScheduler)) return REGDB_E_CLASSNOTREG;
  if (outer) return CLASS_E_NOAGGREGATION;
  return CreateWin32TaskScheduler(context, iid, object);
}

}  // namespace platform
