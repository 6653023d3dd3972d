// Loading the machine's shared libraries by name as the system's loader does: a bare name is
// looked for in the program's own folder, the system folder, the Windows folder, the current
// folder and the PATH folders; what is found is mapped into this process.
#pragma once

#include <string>

#include "platform/files.h"
#include "platform/system.h"

namespace platform {

using HMODULE = void*;
using FARPROC = void (*)();

constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
constexpr DWORD ERROR_PROC_NOT_FOUND = 127;
constexpr DWORD ERROR_BAD_EXE_FORMAT = 193;

class Libraries {
 public:
  Libraries(Files& files, System& system) : files_(files), system_(system) {}

  // Null with the last error set: ERROR_MOD_NOT_FOUND when no such file is found,
  // ERROR_BAD_EXE_FORMAT when the file is no library this machine can load.
  HMODULE LoadLibraryA(LPCSTR name);
  FARPROC GetProcAddress(HMODULE module, LPCSTR name);
  BOOL FreeLibrary(HMODULE module);

  // Where the loader finds a library of that name (a Windows path), if anywhere.
  std::optional<std::string> FindLibrary(const std::string& name);

 private:
  Files& files_;
  System& system_;
};

}  // namespace platform
