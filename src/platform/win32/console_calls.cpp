#include "platform/win32/console_calls.h"

#include <atomic>

#include "platform/win32/windows_door.h"

namespace win32 {

namespace {

std::atomic<void (*)()> interruptHandler{nullptr};

BOOL WINAPI OnControlEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;  // the next handler's
  if (auto handler = interruptHandler.load()) handler();
  return TRUE;
}

}  // namespace

bool IsConsole(StandardStream stream) {
  const DWORD which = stream == StandardStream::Input    ? STD_INPUT_HANDLE
                      : stream == StandardStream::Output ? STD_OUTPUT_HANDLE
                                                         : STD_ERROR_HANDLE;
  HANDLE handle = ::GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  DWORD mode = 0;
  return ::GetFileType(handle) == FILE_TYPE_CHAR && ::GetConsoleMode(handle, &mode);
}

bool HandleConsoleInterrupt(void (*handler)()) {
  interruptHandler.store(handler);
  // Installed once: a second call only changes what the routine calls.
  static const bool installed = ::SetConsoleCtrlHandler(OnControlEvent, TRUE) != FALSE;
  return installed;
}

}  // namespace win32
