// Seam: the tool-help snapshots of kernel32, bound by name at run time because NT 4's kernel32
// has none; there every call fails with ERROR_PROC_NOT_FOUND.
#pragma once

#include <cstddef>
#include <vector>

namespace win32 {

// The sizes of PROCESSENTRY32 and MODULEENTRY32 (the ANSI ones) on 32-bit Windows: an entry
// handed to these calls is one of them, its size in its first field.
constexpr std::size_t kProcessEntrySize = 296;
constexpr std::size_t kModuleEntrySize = 548;

bool ToolHelpPresent();
// The snapshot, or null with the error set (the system's INVALID_HANDLE_VALUE is not passed
// on).
void* CreateSnapshot(unsigned long flags, unsigned long processId);
bool FirstProcessEntry(void* snapshot, void* entry);
bool NextProcessEntry(void* snapshot, void* entry);
bool FirstModuleEntry(void* snapshot, void* entry);
bool NextModuleEntry(void* snapshot, void* entry);

// The ids of the threads that belong to the process, from a thread snapshot.
bool ThreadIdsOf(unsigned long processId, std::vector<unsigned long>& threads);

}  // namespace win32
