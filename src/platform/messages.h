// Windows, message queues, timers and named mutexes of the machine. For now: named mutexes,
// which tell one program instance from a second one across processes.
#pragma once

#include <string>

#include "platform/machine_image.h"
#include "platform/win32_types.h"

namespace platform {

class Messages {
 public:
  explicit Messages(MachineImage image) : image_(std::move(image)) {}

  // Creates a named mutex, or opens it when another handle to it exists anywhere in the
  // machine; the last error is then ERROR_ALREADY_EXISTS. The mutex lives while a handle
  // to it is open: it ends with the processes that hold it, also when they are killed.
  // Initial ownership is recorded but not enforced between processes.
  HANDLE CreateMutexA(const void* securityAttributes, BOOL initialOwner, LPCSTR name);
  BOOL ReleaseMutex(HANDLE mutex);

 private:
  MachineImage image_;
};

}  // namespace platform
