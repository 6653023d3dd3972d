// The Windows status codes of the host's errno values.
#pragma once

#include "platform/win32_types.h"

namespace platform {

// Maps a host errno value to the Windows status code a caller expects.
DWORD Win32ErrorFromErrno(int error);

}  // namespace platform
