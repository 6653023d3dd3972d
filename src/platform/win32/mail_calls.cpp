#include "platform/win32/mail_calls.h"

#include <type_traits>

#include "platform/win32/windows_door.h"

// After the door: <mapi.h> needs the system's types.
#include <mapi.h>

namespace win32 {

static_assert(sizeof(MapiRecipDesc) == kMapiRecipDescSize);
static_assert(sizeof(MapiFileDesc) == kMapiFileDescSize);
static_assert(sizeof(MapiMessage) == kMapiMessageSize);
static_assert(std::is_same_v<LPMAPISENDMAIL,
                             SystemEntry<ULONG, LHANDLE, ULONG_PTR, lpMapiMessage, FLAGS, ULONG>>);

}  // namespace win32
