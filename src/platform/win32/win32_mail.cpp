// The platform's Simple MAPI is the system's: the log mailer hands its records to
// MAPISendMail of the system's MAPI32.DLL as they are, through a pointer of the system's
// calling convention (a pointer of the C convention would leave the arguments on the stack
// for the caller to take off again).
#include <type_traits>

#include "platform/mail.h"
#include "platform/win32/mail_calls.h"

namespace platform {

static_assert(sizeof(MapiRecipDesc) == win32::kMapiRecipDescSize);
static_assert(sizeof(MapiFileDesc) == win32::kMapiFileDescSize);
static_assert(sizeof(MapiMessage) == win32::kMapiMessageSize);
static_assert(
    std::is_same_v<LPMAPISENDMAIL,
                   win32::SystemEntry<ULONG, LHANDLE, std::uintptr_t, MapiMessage*, FLAGS, ULONG>>);

}  // namespace platform
