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

HANDLE StandardHandle(StandardStream stream) {
  const DWORD which = stream == StandardStream::Input    ? STD_INPUT_HANDLE
                      : stream == StandardStream::Output ? STD_OUTPUT_HANDLE
                                                         : STD_ERROR_HANDLE;
  return ::GetStdHandle(which);
}

}  // namespace

bool IsConsole(StandardStream stream) {
  HANDLE handle = StandardHandle(stream);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  DWORD mode = 0;
  return ::GetFileType(handle) == FILE_TYPE_CHAR && ::GetConsoleMode(handle, &mode);
}

int ConsoleColumns(StandardStream stream) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!::GetConsoleScreenBufferInfo(StandardHandle(stream), &info)) return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

bool HandleConsoleInterrupt(void (*handler)()) {
  interruptHandler.store(handler);
  // Installed once: a second call only changes what the routine calls.
  static const bool installed = ::SetConsoleCtrlHandler(OnControlEvent, TRUE) != FALSE;
  return installed;
}

}  // namespace win32
