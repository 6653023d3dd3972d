// The system's own handles inside the platform's handle table: each HANDLE the Windows
// backend gives out names an entry of the table that holds the system's handle and closes it
// with the right call when the last user lets go. A handle of another kind, a stale one or a
// made-up one is refused with ERROR_INVALID_HANDLE before the system sees it.
#pragma once

#include "platform/handles.h"

namespace platform {

enum class SystemHandleKind { File, Find, Process, Snapshot, Token, Mutex, Internet };

class SystemHandle : public KernelObject {
 public:
  SystemHandle(void* handle, SystemHandleKind kind) : handle_(handle), kind_(kind) {}
  ~SystemHandle() override;
  SystemHandle(const SystemHandle&) = delete;
  SystemHandle& operator=(const SystemHandle&) = delete;

  void* Handle() const { return handle_; }
  SystemHandleKind Kind() const { return kind_; }

 private:
  void* handle_;
  SystemHandleKind kind_;
};

// A table handle for the system's handle, which the table now owns; null (and the system's
// handle closed) when it cannot be stored.
HANDLE AddSystemHandle(void* handle, SystemHandleKind kind);

// The system's handle behind a table handle of that kind; null with ERROR_INVALID_HANDLE
// otherwise.
void* SystemHandleOf(HANDLE handle, SystemHandleKind kind);

}  // namespace platform
