// Loading the machine's shared libraries by name as the system's loader does, and reading
// the resources of a resource library: texts, pages and bitmaps by numeric id.
#pragma once

#include <optional>
#include <string>

#include "platform/win32_types.h"

namespace platform {

using HMODULE = void*;
using FARPROC = void (*)();

constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
constexpr DWORD ERROR_PROC_NOT_FOUND = 127;
constexpr DWORD ERROR_BAD_EXE_FORMAT = 193;
constexpr DWORD ERROR_RESOURCE_DATA_NOT_FOUND = 1812;
constexpr DWORD ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;

// LoadLibraryExA: the library is mapped for its resources only; none of its code runs.
constexpr DWORD LOAD_LIBRARY_AS_DATAFILE = 0x00000002;

// Resource types.
constexpr UINT RT_BITMAP = 2;
constexpr UINT RT_HTML = 23;

class Libraries {
 public:
  virtual ~Libraries() = default;

  // Null with the last error set: ERROR_MOD_NOT_FOUND when no such file is found,
  // ERROR_BAD_EXE_FORMAT when the file is no library this machine can load. A bare name is
  // looked for in the program's own folder, the system folder, the Windows folder, the
  // current folder and the PATH folders.
  virtual HMODULE LoadLibraryA(LPCSTR name) = 0;
  virtual HMODULE LoadLibraryExA(LPCSTR name, HANDLE reserved, DWORD flags) = 0;
  virtual FARPROC GetProcAddress(HMODULE module, LPCSTR name) = 0;
  virtual BOOL FreeLibrary(HMODULE module) = 0;

  // The text with the id, cut to size - 1 bytes and ended by a zero; its length, or 0 when
  // the library has no such text.
  virtual int LoadStringA(HMODULE module, UINT id, LPSTR buffer, int size) = 0;
  // The bytes of a resource of the type by id (FindResourceA, LoadResource and
  // SizeofResource in one); a bitmap comes as a whole bitmap file. Nothing, with the last
  // error set, when the library has no such resource.
  virtual std::optional<std::string> ResourceBytes(HMODULE module, UINT type, UINT id) = 0;
};

}  // namespace platform
