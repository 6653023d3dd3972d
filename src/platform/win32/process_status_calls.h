// Seam: the process status library (psapi.dll), bound by name the first time it is needed.
// Windows 9x has no such library: every call then fails with ERROR_PROC_NOT_FOUND, as a call
// of a missing function does, and the caller turns to tool help.
#pragma once

#include <cstdint>

namespace win32 {

// MODULEINFO, field by field.
struct ModuleSpan {
  void* base = nullptr;
  std::uint32_t size = 0;
  void* entryPoint = nullptr;
};

// Whether psapi.dll is there with all four calls.
bool ProcessStatusPresent();

bool EnumProcessIds(std::uint32_t* ids, unsigned long bytes, unsigned long* bytesReturned);
// modules: room for bytes / sizeof(void*) module handles (HMODULE).
bool EnumProcessModuleHandles(void* process, void** modules, unsigned long bytes,
                              unsigned long* bytesNeeded);
unsigned long ModuleFileNameInProcess(void* process, void* module, char* fileName,
                                      unsigned long size);  // GetModuleFileNameExA
// size: the caller's buffer size for MODULEINFO, which the system checks.
bool ModuleSpanInProcess(void* process, void* module, ModuleSpan* span, unsigned long size);

}  // namespace win32
