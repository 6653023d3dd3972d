// Seam: the system's process list from the native call NtQuerySystemInformation
// (SystemProcessInformation) of ntdll.dll, bound by name at run time. NT 4 has it where it has
// no tool help; Windows 9x has neither, and the call fails with ERROR_PROC_NOT_FOUND.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace win32 {

struct NativeProcess {
  std::uint32_t id = 0;
  std::uint32_t parentId = 0;
  std::uint32_t threads = 0;
  std::int32_t basePriority = 0;
  std::string name;  // the program's file name in the ANSI code page; empty for the idle process
};

bool ListNativeProcesses(std::vector<NativeProcess>& processes);

}  // namespace win32
