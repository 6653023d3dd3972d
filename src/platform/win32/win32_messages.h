// Windows, message queues, timers and named mutexes of the system: each window is a real
// user32 window, hidden and top-level, so that any process finds it by its title and sends it
// messages, and the thread that made it receives its messages in its own queue. The window's
// procedure sees the messages the program sends, posts and sets timers for; the system's
// messages about the window's own life get the system's default handling.
#pragma once

#include "platform/messages.h"

namespace platform {

class Win32Messages : public Messages {
 public:
  Win32Messages() = default;
  // Windows made here on the calling thread are destroyed; those of other threads stop
  // calling their procedures and end with their threads.
  ~Win32Messages() override;
  Win32Messages(const Win32Messages&) = delete;
  Win32Messages& operator=(const Win32Messages&) = delete;

  HWND CreateWindowA(const std::string& title, WindowProcedure procedure) override;
  BOOL DestroyWindow(HWND window) override;
  BOOL IsWindow(HWND window) override;
  HWND FindWindowA(LPCSTR className, LPCSTR title) override;
  BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL GetMessageA(MSG* message, HWND window, UINT first, UINT last) override;
  BOOL PeekMessageA(MSG* message, HWND window, UINT first, UINT last, UINT remove) override;
  BOOL TranslateMessage(const MSG* message) override;
  LRESULT DispatchMessageA(const MSG* message) override;
  void PostQuitMessage(int exitCode) override;
  // The callback is not used (no platform function is a system callback): WM_TIMER goes to
  // the window, as it does for a null callback.
  std::uintptr_t SetTimer(HWND window, std::uintptr_t id, UINT elapse, void* callback) override;
  BOOL KillTimer(HWND window, std::uintptr_t id) override;
  // The handles are process handles of the platform's handle table.
  DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                  DWORD milliseconds, DWORD wakeMask) override;
  // The security attributes are the system's SECURITY_ATTRIBUTES, or null.
  HANDLE CreateMutexA(const void* securityAttributes, BOOL initialOwner, LPCSTR name) override;
  BOOL ReleaseMutex(HANDLE mutex) override;
};

}  // namespace platform
