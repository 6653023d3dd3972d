// Seam: the process token and its privileges, through advapi32. Windows 9x exports these
// calls but implements none of them; the backend does not call them there.
#pragma once

#include <cstddef>
#include <cstdint>

namespace win32 {

// The sizes of TOKEN_PRIVILEGES (with one privilege) and of each further LUID_AND_ATTRIBUTES
// on 32-bit Windows: the privilege lists handed to AdjustPrivileges are laid out so.
constexpr std::size_t kTokenPrivilegesSize = 16;
constexpr std::size_t kLuidAndAttributesSize = 12;

// The token, or null with the error set.
void* OpenTokenOf(void* process, unsigned long access);
bool LookupPrivilege(const char* systemName, const char* name, std::uint32_t* lowPart,
                     std::int32_t* highPart);
// True also when not every privilege was given: the error is then ERROR_NOT_ALL_ASSIGNED,
// else ERROR_SUCCESS.
bool AdjustPrivileges(void* token, bool disableAll, const void* newState,
                      unsigned long bufferLength, void* previousState, unsigned long* returnLength);

}  // namespace win32
