// Seam: Simple MAPI as the system declares it. The program calls MAPISendMail of the system's
// MAPI32.DLL through the loader (Libraries) with the platform's records as they are, so the
// records' sizes and the entry's calling convention are checked on both sides of the seam.
#pragma once

#include <cstddef>

namespace win32 {

// MapiRecipDesc, MapiFileDesc and MapiMessage of 32-bit Windows: words and pointers only.
constexpr std::size_t kMapiRecipDescSize = 24;
constexpr std::size_t kMapiFileDescSize = 24;
constexpr std::size_t kMapiMessageSize = 48;

// A pointer to a function of the convention the system's exports have (WINAPI, __stdcall):
// the callee takes its arguments off the stack.
template <typename Result, typename... Arguments>
using SystemEntry = Result(__attribute__((__stdcall__)) *)(Arguments...);

}  // namespace win32
