#include "ui/win32/console_calls.h"

#include <cstdio>

#include "platform/win32/windows_door.h"

namespace win32::view {

void UseStartingConsole() {
  HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (output && output != INVALID_HANDLE_VALUE) return;
  using AttachConsoleCall = BOOL(WINAPI*)(DWORD);
  auto attach = reinterpret_cast<AttachConsoleCall>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "AttachConsole")));
  if (!(attach && attach(ATTACH_PARENT_PROCESS)) && !::AllocConsole()) return;
  std::freopen("CONIN$", "r", stdin);
  std::freopen("CONOUT$", "w", stdout);
  std::freopen("CONOUT$", "w", stderr);
}

}  // namespace win32::view
