// The process's handle table: every HANDLE the layer gives out names an object here, so a
// stale or made-up handle is reported as ERROR_INVALID_HANDLE instead of touching memory.
#pragma once

#include <memory>

#include "platform/win32_types.h"

namespace platform {

class KernelObject {
 public:
  virtual ~KernelObject() = default;
};

// Stores the object and returns a new handle for it; INVALID_HANDLE_VALUE is never returned.
HANDLE AddHandle(std::shared_ptr<KernelObject> object);

// The object behind a handle when it is open and of type T; else null, with the last error set
// to ERROR_INVALID_HANDLE.
std::shared_ptr<KernelObject> LookUpHandle(HANDLE handle);

template <typename T>
std::shared_ptr<T> LookUpHandleAs(HANDLE handle) {
  auto object = std::dynamic_pointer_cast<T>(LookUpHandle(handle));
  if (!object) LookUpHandle(nullptr);  // sets ERROR_INVALID_HANDLE
  return object;
}

// Removes the handle; the object ends when its last user lets go of it.
BOOL CloseHandle(HANDLE handle);

}  // namespace platform
