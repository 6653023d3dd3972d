#include "platform/win32/win32_com.h"

#include "platform/last_error.h"
#include "platform/scheduler.h"
#include "platform/win32/com_calls.h"

namespace platform {

namespace {

constexpr DWORD kCallNotImplemented = 120;  // ERROR_CALL_NOT_IMPLEMENTED

}  // namespace

HRESULT Win32Com::CoInitialize(void*) {
  // The system wants the reserved pointer null, whatever the caller gave.
  return static_cast<HRESULT>(win32::InitializeCom());
}

void Win32Com::CoUninitialize() {
  win32::UninitializeCom();
}

HRESULT Win32Com::CoCreateInstance(const CLSID&, IUnknown*, DWORD, const IID&, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  // The program asks only for CLSID_CTaskScheduler, whose platform class over the system's
  // Task Scheduler (mstask.h's ITaskScheduler) is not written yet: it is the next piece of
  // work. Until then no class is served, and scheduling a scan fails with this result and
  // says so.
  return REGDB_E_CLASSNOTREG;
}

// Pages come from components only (IProvideTaskPage::GetPage), and this backend serves no
// component yet; so no page of this backend exists, and there is no sheet to show.
int PropertySheetA(const PROPSHEETHEADERA*, Prompt&) {
  return Fail(kCallNotImplemented, -1);
}

BOOL DestroyPropertySheetPage(HPROPSHEETPAGE) {
  return FALSE;
}

}  // namespace platform
