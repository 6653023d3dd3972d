#include "platform/win32/process_status_calls.h"

#include "platform/win32/windows_door.h"

// After <windows.h>: the library's declarations need its types.
#include <psapi.h>

#include <algorithm>
#include <vector>

#include "platform/win32/system_library_calls.h"

namespace win32 {
namespace {

constexpr const char* kLibrary = "psapi.dll";

struct ProcessStatus {
  using EnumProcessesCall = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
  using EnumProcessModulesCall = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
  using GetModuleFileNameExCall = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
  using GetModuleInformationCall = BOOL(WINAPI*)(HANDLE, HMODULE, LPMODULEINFO, DWORD);

  EnumProcessesCall enumProcesses =
      BindSystemFunction<EnumProcessesCall>(kLibrary, "EnumProcesses");
  EnumProcessModulesCall enumProcessModules =
      BindSystemFunction<EnumProcessModulesCall>(kLibrary, "EnumProcessModules");
  GetModuleFileNameExCall getModuleFileNameEx =
      BindSystemFunction<GetModuleFileNameExCall>(kLibrary, "GetModuleFileNameExA");
  GetModuleInformationCall getModuleInformation =
      BindSystemFunction<GetModuleInformationCall>(kLibrary, "GetModuleInformation");
};

const ProcessStatus& Library() {
  static const ProcessStatus library;
  return library;
}

}  // namespace

bool ProcessStatusPresent() {
  const ProcessStatus& library = Library();
  return library.enumProcesses && library.enumProcessModules && library.getModuleFileNameEx &&
         library.getModuleInformation;
}

bool EnumProcessIds(std::uint32_t* ids, unsigned long bytes, unsigned long* bytesReturned) {
  const auto call = Library().enumProcesses;
  if (!call) {
    SetMissingFunctionError();
    return false;
  }
  // DWORD is unsigned long here, the caller's ids are std::uint32_t: copied, not aliased.
  std::vector<DWORD> found(bytes / sizeof(DWORD));
  DWORD returned = 0;
  if (!call(found.data(), static_cast<DWORD>(found.size() * sizeof(DWORD)), &returned))
    return false;
  const std::size_t count = std::min<std::size_t>(returned / sizeof(DWORD), found.size());
  std::copy_n(found.begin(), count, ids);
  *bytesReturned = static_cast<unsigned long>(count * sizeof(DWORD));
  return true;
}

bool EnumProcessModuleHandles(void* process, void** modules, unsigned long bytes,
                              unsigned long* bytesNeeded) {
  const auto call = Library().enumProcessModules;
  if (!call) {
    SetMissingFunctionError();
    return false;
  }
  std::vector<HMODULE> found(bytes / sizeof(HMODULE));
  DWORD needed = 0;
  if (!call(process, found.data(), static_cast<DWORD>(found.size() * sizeof(HMODULE)), &needed))
    return false;
  const std::size_t count = std::min<std::size_t>(needed / sizeof(HMODULE), found.size());
  for (std::size_t i = 0; i < count; ++i) modules[i] = found[i];
  if (bytesNeeded) *bytesNeeded = needed;
  return true;
}

unsigned long ModuleFileNameInProcess(void* process, void* module, char* fileName,
                                      unsigned long size) {
  const auto call = Library().getModuleFileNameEx;
  if (!call) {
    SetMissingFunctionError();
    return 0;
  }
  return call(process, static_cast<HMODULE>(module), fileName, size);
}

bool ModuleSpanInProcess(void* process, void* module, ModuleSpan* span, unsigned long size) {
  const auto call = Library().getModuleInformation;
  if (!call) {
    SetMissingFunctionError();
    return false;
  }
  // The caller's size decides whether the system finds the buffer big enough.
  MODULEINFO information{};
  const DWORD given = static_cast<DWORD>(std::min<unsigned long>(size, sizeof information));
  if (!call(process, static_cast<HMODULE>(module), &information, given)) return false;
  span->base = information.lpBaseOfDll;
  span->size = information.SizeOfImage;
  span->entryPoint = information.EntryPoint;
  return true;
}

}  // namespace win32
