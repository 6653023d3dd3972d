#include "platform/win32/tool_help_calls.h"

#include "platform/win32/windows_door.h"

// After <windows.h>: the snapshots' declarations need its types.
#include <tlhelp32.h>

#include "platform/win32/system_library_calls.h"

namespace win32 {
namespace {

// The ANSI entries by their structure tags, which UNICODE never renames.
using ProcessEntry = tagPROCESSENTRY32;
using ModuleEntry = tagMODULEENTRY32;
static_assert(sizeof(ProcessEntry) == kProcessEntrySize);
static_assert(sizeof(ModuleEntry) == kModuleEntrySize);

constexpr const char* kLibrary = "kernel32.dll";

struct ToolHelp {
  using CreateSnapshotCall = HANDLE(WINAPI*)(DWORD, DWORD);
  using ProcessCall = BOOL(WINAPI*)(HANDLE, ProcessEntry*);
  using ModuleCall = BOOL(WINAPI*)(HANDLE, ModuleEntry*);
  using ThreadCall = BOOL(WINAPI*)(HANDLE, THREADENTRY32*);

  CreateSnapshotCall createSnapshot =
      BindSystemFunction<CreateSnapshotCall>(kLibrary, "CreateToolhelp32Snapshot");
  ProcessCall processFirst = BindSystemFunction<ProcessCall>(kLibrary, "Process32First");
  ProcessCall processNext = BindSystemFunction<ProcessCall>(kLibrary, "Process32Next");
  ModuleCall moduleFirst = BindSystemFunction<ModuleCall>(kLibrary, "Module32First");
  ModuleCall moduleNext = BindSystemFunction<ModuleCall>(kLibrary, "Module32Next");
  ThreadCall threadFirst = BindSystemFunction<ThreadCall>(kLibrary, "Thread32First");
  ThreadCall threadNext = BindSystemFunction<ThreadCall>(kLibrary, "Thread32Next");
};

const ToolHelp& Library() {
  static const ToolHelp library;
  return library;
}

template <typename Entry, typename Call>
bool Step(Call call, void* snapshot, void* entry) {
  if (!call) {
    SetMissingFunctionError();
    return false;
  }
  return call(snapshot, static_cast<Entry*>(entry)) != FALSE;
}

}  // namespace

bool ToolHelpPresent() {
  const ToolHelp& library = Library();
  return library.createSnapshot && library.processFirst && library.processNext &&
         library.moduleFirst && library.moduleNext;
}

void* CreateSnapshot(unsigned long flags, unsigned long processId) {
  const auto call = Library().createSnapshot;
  if (!call) {
    SetMissingFunctionError();
    return nullptr;
  }
  HANDLE snapshot = call(flags, processId);
  return snapshot == INVALID_HANDLE_VALUE ? nullptr : snapshot;
}

bool FirstProcessEntry(void* snapshot, void* entry) {
  return Step<ProcessEntry>(Library().processFirst, snapshot, entry);
}

bool NextProcessEntry(void* snapshot, void* entry) {
  return Step<ProcessEntry>(Library().processNext, snapshot, entry);
}

bool FirstModuleEntry(void* snapshot, void* entry) {
  return Step<ModuleEntry>(Library().moduleFirst, snapshot, entry);
}

bool NextModuleEntry(void* snapshot, void* entry) {
  return Step<ModuleEntry>(Library().moduleNext, snapshot, entry);
}

bool ThreadIdsOf(unsigned long processId, std::vector<unsigned long>& threads) {
  const ToolHelp& library = Library();
  if (!library.threadFirst || !library.threadNext) {
    SetMissingFunctionError();
    return false;
  }
  // The thread snapshot lists every thread of the system, whatever process is named.
  HANDLE snapshot = CreateSnapshot(TH32CS_SNAPTHREAD, 0);
  if (!snapshot) return false;
  threads.clear();
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = library.threadFirst(snapshot, &entry); more;
       more = library.threadNext(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == processId) threads.push_back(entry.th32ThreadID);
    entry.dwSize = sizeof entry;
  }
  const DWORD error = ::GetLastError();
  ::CloseHandle(snapshot);
  // The list ends with ERROR_NO_MORE_FILES; anything else is a failure.
  ::SetLastError(error);
  return error == ERROR_NO_MORE_FILES;
}

}  // namespace win32
