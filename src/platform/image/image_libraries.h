// The libraries of a machine image: shared objects under Windows names, mapped with dlopen.
// A resource library exports its texts, pages and bitmaps by id through VxLoadString,
// VxFindPage and VxFindBitmap.
#pragma once

#include "platform/image/image_files.h"
#include "platform/libraries.h"
#include "platform/system.h"

namespace platform {

class ImageLibraries : public Libraries {
 public:
  ImageLibraries(ImageFiles& files, System& system) : files_(files), system_(system) {}

  HMODULE LoadLibraryA(LPCSTR name) override;
  HMODULE LoadLibraryExA(LPCSTR name, HANDLE reserved, DWORD flags) override;
  FARPROC GetProcAddress(HMODULE module, LPCSTR name) override;
  BOOL FreeLibrary(HMODULE module) override;
  int LoadStringA(HMODULE module, UINT id, LPSTR buffer, int size) override;
  std::optional<std::string> ResourceBytes(HMODULE module, UINT type, UINT id) override;

  // Where the loader finds a library of that name (a Windows path), if anywhere.
  std::optional<std::string> FindLibrary(const std::string& name);

 private:
  ImageFiles& files_;
  System& system_;
};

}  // namespace platform
