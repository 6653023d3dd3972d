// The libraries of the Windows system this process runs on, through its loader: libraries by
// name as the system finds them, their exports, and the texts, pages and bitmaps of a
// resource library by id. HMODULEs are the system's own values.
#pragma once

#include "platform/libraries.h"

namespace platform {

class Win32Libraries : public Libraries {
 public:
  HMODULE LoadLibraryA(LPCSTR name) override;
  HMODULE LoadLibraryExA(LPCSTR name, HANDLE reserved, DWORD flags) override;
  FARPROC GetProcAddress(HMODULE module, LPCSTR name) override;
  BOOL FreeLibrary(HMODULE module) override;
  int LoadStringA(HMODULE module, UINT id, LPSTR buffer, int size) override;
  std::optional<std::string> ResourceBytes(HMODULE module, UINT type, UINT id) override;
};

}  // namespace platform
