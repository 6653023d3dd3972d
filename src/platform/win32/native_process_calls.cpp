#include "platform/win32/native_process_calls.h"

#include "platform/win32/windows_door.h"

// After <windows.h>: the native structures need its types.
#include <winternl.h>

#include <algorithm>
#include <cstring>

#include "platform/win32/system_library_calls.h"

namespace win32 {
namespace {

constexpr const char* kLibrary = "ntdll.dll";
constexpr SYSTEM_INFORMATION_CLASS kProcessInformation = SystemProcessInformation;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);  // STATUS_INFO_LENGTH_MISMATCH
constexpr std::size_t kFirstBufferSize = 64 * 1024;
constexpr std::size_t kLargestBufferSize = 64 * 1024 * 1024;

struct Native {
  using QueryCall = LONG(NTAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
  using StatusToErrorCall = ULONG(NTAPI*)(LONG);

  QueryCall query = BindSystemFunction<QueryCall>(kLibrary, "NtQuerySystemInformation");
  StatusToErrorCall statusToError =
      BindSystemFunction<StatusToErrorCall>(kLibrary, "RtlNtStatusToDosError");
};

const Native& Library() {
  static const Native library;
  return library;
}

std::string AnsiText(const wchar_t* text, int length) {
  if (!text || length <= 0) return {};
  const int size = ::WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string converted(static_cast<std::size_t>(std::max(size, 0)), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text, length, converted.data(), size, nullptr, nullptr);
  return converted;
}

}  // namespace

bool ListNativeProcesses(std::vector<NativeProcess>& processes) {
  const Native& library = Library();
  if (!library.query || !library.statusToError) {
    SetMissingFunctionError();
    return false;
  }
  // The list grows between calls: ask again with more room until it fits. Eight-byte
  // elements keep the records aligned as the system lays them out.
  std::vector<ULONGLONG> buffer;
  LONG status = kInfoLengthMismatch;
  for (std::size_t size = kFirstBufferSize;
       status == kInfoLengthMismatch && size <= kLargestBufferSize; size *= 2) {
    buffer.assign(size / sizeof(ULONGLONG), 0);
    status = library.query(kProcessInformation, buffer.data(), static_cast<ULONG>(size), nullptr);
  }
  if (status < 0) {
    ::SetLastError(library.statusToError(status));
    return false;
  }
  processes.clear();
  const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
  const std::size_t end = buffer.size() * sizeof(ULONGLONG);
  for (std::size_t offset = 0; offset < end;) {
    // The record's fields up to the parent id are the same on every NT version; later ones
    // (NT 4's record is shorter) are not read.
    SYSTEM_PROCESS_INFORMATION record{};
    std::memcpy(&record, bytes + offset, std::min(sizeof record, end - offset));
    NativeProcess process;
    process.id = static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(record.UniqueProcessId));
    process.parentId = static_cast<std::uint32_t>(
        reinterpret_cast<ULONG_PTR>(record.InheritedFromUniqueProcessId));
    process.threads = record.NumberOfThreads;
    process.basePriority = record.BasePriority;
    process.name = AnsiText(record.ImageName.Buffer, record.ImageName.Length / sizeof(wchar_t));
    processes.push_back(std::move(process));
    if (record.NextEntryOffset == 0) break;
    offset += record.NextEntryOffset;
  }
  return true;
}

}  // namespace win32
