// What the Windows system this process runs on tells about itself, from the system itself:
// version, user, ANSI code page, folders, environment strings, shell folders and message
// texts. The registry given is the one the shared helpers of System read texts from.
#pragma once

#include "platform/system.h"

namespace platform {

class Win32System : public System {
 public:
  explicit Win32System(Registry& registry) : System(registry) {}

  BOOL GetVersionExA(OSVERSIONINFOA* version) override;
  BOOL GetUserNameA(LPSTR buffer, DWORD* size) override;
  UINT GetACP() override;
  UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) override;
  UINT GetSystemDirectoryA(LPSTR buffer, UINT size) override;
  DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) override;
  DWORD ExpandEnvironmentStringsA(LPCSTR source, LPSTR destination, DWORD size) override;
  // shell32's, or shfolder.dll's on systems whose shell32 lacks it; E_FAIL when neither has
  // it. A token is a token handle of the layer, or INVALID_HANDLE_VALUE for the default user.
  HRESULT SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, LPSTR path) override;
  // The system's texts, as the system gives them; FORMAT_MESSAGE_ALLOCATE_BUFFER is refused,
  // since nothing of the layer could free what it allocates. With FORMAT_MESSAGE_FROM_SYSTEM,
  // a code of the internet library (12000 to 12175) has that library's text.
  DWORD FormatMessageA(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                       LPSTR buffer, DWORD size, void* arguments) override;
};

}  // namespace platform
