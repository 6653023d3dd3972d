// Files: the system's folder searches, in the form the running system accepts.
#include <atomic>
#include <memory>

#include "platform/last_error.h"
#include "platform/win32/file_calls.h"
#include "platform/win32/system_handles.h"
#include "platform/win32/win32_files.h"

namespace platform {

static_assert(sizeof(WIN32_FIND_DATAA) == win32::kFindDataSize);

namespace {

// A search of the system that was asked for FindExInfoBasic: its records come without 8.3
// names even where the system gave the standard record instead.
class Win32Search : public SystemHandle {
 public:
  Win32Search(void* search, bool basic)
      : SystemHandle(search, SystemHandleKind::Find), basic_(basic) {}

  void Tidy(WIN32_FIND_DATAA& record) const {
    if (basic_) record.cAlternateFileName[0] = '\0';
  }

 private:
  bool basic_;
};

// The search behind a handle; null with ERROR_INVALID_HANDLE for any other handle.
std::shared_ptr<Win32Search> SearchOf(HANDLE find) {
  return LookUpHandleAs<Win32Search>(find);
}

// Set once the system refused FindExInfoBasic or FIND_FIRST_EX_LARGE_FETCH (systems before
// Windows 7 do, with ERROR_INVALID_PARAMETER) and took the standard form: later searches ask
// in that form at once.
std::atomic<bool> newerFormsRefused{false};

// The system's search, or null with its error.
void* StartSearch(LPCSTR fileName, FINDEX_INFO_LEVELS level, void* findData,
                  FINDEX_SEARCH_OPS searchOp, void* filter, DWORD flags) {
  const bool newer = level == FindExInfoBasic || (flags & FIND_FIRST_EX_LARGE_FETCH);
  if (!newer || !newerFormsRefused.load(std::memory_order_relaxed)) {
    void* search = win32::FindFirstFileExA(fileName, level, findData, searchOp, filter, flags);
    if (search || !newer || GetLastError() != ERROR_INVALID_PARAMETER) return search;
  }
  void* search = win32::FindFirstFileExA(fileName, FindExInfoStandard, findData, searchOp, filter,
                                         flags & ~FIND_FIRST_EX_LARGE_FETCH);
  if (search) newerFormsRefused.store(true, std::memory_order_relaxed);
  return search;
}

}  // namespace

HANDLE Win32Files::FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA* findData) {
  if (!findData) return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  void* search = win32::FindFirstFileA(fileName, findData);
  if (!search) return INVALID_HANDLE_VALUE;
  return AddHandle(std::make_shared<Win32Search>(search, false));
}

HANDLE Win32Files::FindFirstFileExA(LPCSTR fileName, FINDEX_INFO_LEVELS level, void* findData,
                                    FINDEX_SEARCH_OPS searchOp, void* filter, DWORD flags) {
  if (!findData) return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  // The layer's own flag is never the system's: the full record is a right answer to it.
  flags &= ~FIND_FIRST_EX_NAMES_ONLY;
  void* search = StartSearch(fileName, level, findData, searchOp, filter, flags);
  // Windows 95 has only the plain search, which gives the standard record.
  if (!search && GetLastError() == win32::kCallNotImplemented)
    search = win32::FindFirstFileA(fileName, findData);
  if (!search) return INVALID_HANDLE_VALUE;
  auto object = std::make_shared<Win32Search>(search, level == FindExInfoBasic);
  object->Tidy(*static_cast<WIN32_FIND_DATAA*>(findData));
  return AddHandle(std::move(object));
}

BOOL Win32Files::FindNextFileA(HANDLE find, WIN32_FIND_DATAA* findData) {
  auto search = SearchOf(find);
  if (!search) return FALSE;
  if (!findData) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (!win32::FindNextFileA(search->Handle(), findData)) return FALSE;
  search->Tidy(*findData);
  return TRUE;
}

BOOL Win32Files::FindClose(HANDLE find) {
  if (!SearchOf(find)) return FALSE;
  return CloseHandle(find);
}

}  // namespace platform
