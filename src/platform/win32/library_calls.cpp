#include "platform/win32/library_calls.h"

#include "platform/win32/windows_door.h"

namespace win32 {

void* OpenLibrary(const char* name) {
  return ::LoadLibraryA(name);
}

void* OpenLibraryEx(const char* name, unsigned long flags) {
  return ::LoadLibraryExA(name, nullptr, flags);
}

Procedure LibraryProcedure(void* module, const char* name) {
  return reinterpret_cast<Procedure>(::GetProcAddress(static_cast<HMODULE>(module), name));
}

bool CloseLibrary(void* module) {
  return ::FreeLibrary(static_cast<HMODULE>(module)) != FALSE;
}

int LibraryString(void* module, unsigned id, char* buffer, int size) {
  return ::LoadStringA(static_cast<HINSTANCE>(module), id, buffer, size);
}

bool LibraryResource(void* module, unsigned type, unsigned id, std::string& bytes) {
  const HMODULE library = static_cast<HMODULE>(module);
  HRSRC found = ::FindResourceA(library, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(type));
  if (!found) return false;
  const DWORD size = ::SizeofResource(library, found);
  bytes.clear();
  if (size == 0) return true;  // an empty resource
  HGLOBAL loaded = ::LoadResource(library, found);
  const void* data = loaded ? ::LockResource(loaded) : nullptr;
  if (!data) return false;
  bytes.assign(static_cast<const char*>(data), size);
  return true;
}

}  // namespace win32
