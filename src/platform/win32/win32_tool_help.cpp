// The tool-help snapshots of Win32Processes, and the process snapshot of NT 4 that the native
// process list stands in for.
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/last_error.h"
#include "platform/win32/native_process_calls.h"
#include "platform/win32/process_status_calls.h"
#include "platform/win32/system_handles.h"
#include "platform/win32/tool_help_calls.h"
#include "platform/win32/win32_processes.h"

namespace platform {
namespace {

static_assert(sizeof(PROCESSENTRY32) == win32::kProcessEntrySize);
static_assert(sizeof(MODULEENTRY32) == win32::kModuleEntrySize);

constexpr DWORD ERROR_BAD_LENGTH = 24;
constexpr DWORD ERROR_PROC_NOT_FOUND = 127;
constexpr DWORD TH32CS_INHERIT = 0x80000000;
// Tool help's name for the idle process, which the native list leaves unnamed.
constexpr const char* kIdleProcessName = "[System Process]";

// A process snapshot made without tool help, walked as tool help walks its own.
struct NativeSnapshot : KernelObject {
  std::vector<PROCESSENTRY32> processes;
  std::size_t next = 0;
};

HANDLE NativeProcessSnapshot() {
  std::vector<win32::NativeProcess> listed;
  if (!win32::ListNativeProcesses(listed)) return INVALID_HANDLE_VALUE;
  auto snapshot = std::make_shared<NativeSnapshot>();
  for (const win32::NativeProcess& process : listed) {
    PROCESSENTRY32 entry;
    entry.th32ProcessID = process.id;
    entry.th32ParentProcessID = process.parentId;
    entry.cntThreads = process.threads;
    entry.pcPriClassBase = process.basePriority;
    const std::string& name = process.name.empty() ? kIdleProcessName : process.name;
    std::snprintf(entry.szExeFile, sizeof entry.szExeFile, "%s", name.c_str());
    snapshot->processes.push_back(entry);
  }
  return AddHandle(std::move(snapshot));
}

BOOL NextNativeEntry(NativeSnapshot& snapshot, PROCESSENTRY32* entry) {
  if (!entry || entry->dwSize < sizeof(PROCESSENTRY32)) return Fail(ERROR_BAD_LENGTH, FALSE);
  if (snapshot.next >= snapshot.processes.size()) return Fail(ERROR_NO_MORE_FILES, FALSE);
  *entry = snapshot.processes[snapshot.next++];
  return TRUE;
}

// The system's snapshot behind a handle, or the stand-in one; the error set when neither.
void* SystemSnapshotOf(HANDLE snapshot, std::shared_ptr<NativeSnapshot>& native) {
  if (auto object = std::dynamic_pointer_cast<NativeSnapshot>(LookUpHandle(snapshot))) {
    native = std::move(object);
    return nullptr;
  }
  return SystemHandleOf(snapshot, SystemHandleKind::Snapshot);
}

}  // namespace

bool Win32Processes::ProcessStatusBinds() {
  return win32::ProcessStatusPresent();
}

bool Win32Processes::ToolHelpBinds() {
  return win32::ToolHelpPresent();
}

HANDLE Win32Processes::CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
  if (!win32::ToolHelpPresent()) {
    if ((flags & ~TH32CS_INHERIT) != TH32CS_SNAPPROCESS)
      return Fail(ERROR_PROC_NOT_FOUND, INVALID_HANDLE_VALUE);
    return NativeProcessSnapshot();
  }
  void* snapshot = win32::CreateSnapshot(flags, processId);
  if (!snapshot) return INVALID_HANDLE_VALUE;
  return AddSystemHandle(snapshot, SystemHandleKind::Snapshot);
}

BOOL Win32Processes::Process32First(HANDLE snapshot, PROCESSENTRY32* entry) {
  std::shared_ptr<NativeSnapshot> native;
  void* system = SystemSnapshotOf(snapshot, native);
  if (native) {
    native->next = 0;
    return NextNativeEntry(*native, entry);
  }
  if (!system) return FALSE;
  if (!entry) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  return win32::FirstProcessEntry(system, entry) ? TRUE : FALSE;
}

BOOL Win32Processes::Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) {
  std::shared_ptr<NativeSnapshot> native;
  void* system = SystemSnapshotOf(snapshot, native);
  if (native) return NextNativeEntry(*native, entry);
  if (!system) return FALSE;
  if (!entry) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  return win32::NextProcessEntry(system, entry) ? TRUE : FALSE;
}

BOOL Win32Processes::Module32First(HANDLE snapshot, MODULEENTRY32* entry) {
  std::shared_ptr<NativeSnapshot> native;
  void* system = SystemSnapshotOf(snapshot, native);
  if (native) return Fail(ERROR_NO_MORE_FILES, FALSE);  // a process snapshot lists no module
  if (!system) return FALSE;
  if (!entry) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  return win32::FirstModuleEntry(system, entry) ? TRUE : FALSE;
}

BOOL Win32Processes::Module32Next(HANDLE snapshot, MODULEENTRY32* entry) {
  std::shared_ptr<NativeSnapshot> native;
  void* system = SystemSnapshotOf(snapshot, native);
  if (native) return Fail(ERROR_NO_MORE_FILES, FALSE);
  if (!system) return FALSE;
  if (!entry) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  return win32::NextModuleEntry(system, entry) ? TRUE : FALSE;
}

}  // namespace platform
