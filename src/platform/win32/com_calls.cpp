#include "platform/win32/com_calls.h"

#include "platform/win32/windows_door.h"

// After <windows.h>: COM's declarations need its types.
#include <objbase.h>

namespace win32 {

long InitializeCom() {
  return ::CoInitialize(nullptr);
}

void UninitializeCom() {
  ::CoUninitialize();
}

}  // namespace win32
