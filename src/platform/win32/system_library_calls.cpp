#include "platform/win32/system_library_calls.h"

#include "platform/win32/windows_door.h"

#include <string>

namespace win32 {
namespace {

// The library from the system folder, never from the program's folder or the current one,
// so that a planted copy is not loaded.
HMODULE SystemLibrary(const char* library) {
  if (HMODULE loaded = ::GetModuleHandleA(library)) return loaded;
  char folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  return ::LoadLibraryA((std::string(folder, length) + "\\" + library).c_str());
}

}  // namespace

AnyFunction SystemFunction(const char* library, const char* name) {
  HMODULE module = SystemLibrary(library);
  if (!module) return nullptr;
  // FARPROC to the catch-all function type, which the compiler accepts for any function.
  return reinterpret_cast<AnyFunction>(::GetProcAddress(module, name));
}

void SetMissingFunctionError() {
  ::SetLastError(ERROR_PROC_NOT_FOUND);
}

}  // namespace win32
