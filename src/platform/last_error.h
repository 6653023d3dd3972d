// The per-thread last error of calls that report success as a boolean.
#pragma once

#include "platform/win32_types.h"

namespace platform {

DWORD GetLastError();
void SetLastError(DWORD error);

// Sets the last error and returns the given failure value, for one-line error exits.
template <typename T>
T Fail(DWORD error, T result) {
  SetLastError(error);
  return result;
}

}  // namespace platform
