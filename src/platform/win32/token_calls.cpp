#include "platform/win32/token_calls.h"

#include "platform/win32/windows_door.h"

namespace win32 {

static_assert(sizeof(TOKEN_PRIVILEGES) == kTokenPrivilegesSize);
static_assert(sizeof(LUID_AND_ATTRIBUTES) == kLuidAndAttributesSize);

void* OpenTokenOf(void* process, unsigned long access) {
  HANDLE token = nullptr;
  if (!::OpenProcessToken(process, access, &token)) return nullptr;
  return token;
}

bool LookupPrivilege(const char* systemName, const char* name, std::uint32_t* lowPart,
                     std::int32_t* highPart) {
  LUID luid{};
  if (!::LookupPrivilegeValueA(systemName, name, &luid)) return false;
  *lowPart = luid.LowPart;
  *highPart = luid.HighPart;
  return true;
}

bool AdjustPrivileges(void* token, bool disableAll, const void* newState,
                      unsigned long bufferLength, void* previousState,
                      unsigned long* returnLength) {
  // The lists are handed over as they lie in memory: the system reads and writes them, this
  // code does not look inside.
  DWORD length = 0;
  ::SetLastError(ERROR_SUCCESS);  // success leaves ERROR_SUCCESS or ERROR_NOT_ALL_ASSIGNED
  const BOOL done = ::AdjustTokenPrivileges(
      token, disableAll ? TRUE : FALSE,
      const_cast<TOKEN_PRIVILEGES*>(static_cast<const TOKEN_PRIVILEGES*>(newState)), bufferLength,
      static_cast<TOKEN_PRIVILEGES*>(previousState), previousState ? &length : nullptr);
  if (returnLength) *returnLength = length;
  return done != FALSE;
}

}  // namespace win32
