// Windows, message queues, timers and named mutexes of the machine. Each thread that makes
// a window owns a message queue; a window with a title can be found by another process,
// which can send it messages.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/win32_types.h"

namespace platform {

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_USER = 0x0400;
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
constexpr DWORD QS_ALLINPUT = 0x04FF;

struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
};

using WindowProcedure = std::function<LRESULT(HWND window, UINT message, WPARAM, LPARAM)>;

class Messages {
 public:
  virtual ~Messages() = default;

  // A window owned by the calling thread. With a title it can be found from any process.
  virtual HWND CreateWindowA(const std::string& title, WindowProcedure procedure) = 0;
  virtual BOOL DestroyWindow(HWND window) = 0;
  virtual BOOL IsWindow(HWND window) = 0;
  // A window of this process first, else one of another process; null if none.
  virtual HWND FindWindowA(LPCSTR className, LPCSTR title) = 0;

  virtual BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Runs the window's procedure on its owner's thread and returns its result; the caller
  // waits. Works across processes for windows found by title.
  virtual LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;

  // The calling thread's queue.
  virtual BOOL GetMessageA(MSG* message, HWND window, UINT first, UINT last) = 0;
  virtual BOOL PeekMessageA(MSG* message, HWND window, UINT first, UINT last, UINT remove) = 0;
  virtual BOOL TranslateMessage(const MSG* message) = 0;
  virtual LRESULT DispatchMessageA(const MSG* message) = 0;
  virtual void PostQuitMessage(int exitCode) = 0;
  // Handles every message waiting now, without blocking.
  void PumpMessages();

  // Posts WM_TIMER with the id every period milliseconds to the window's thread.
  virtual std::uintptr_t SetTimer(HWND window, std::uintptr_t id, UINT elapse, void* callback) = 0;
  virtual BOOL KillTimer(HWND window, std::uintptr_t id) = 0;

  // Waits for one of the handles (process handles) or, with a wake mask, for a message;
  // WAIT_OBJECT_0 + index, WAIT_OBJECT_0 + count for a message, or WAIT_TIMEOUT.
  virtual DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                          DWORD milliseconds, DWORD wakeMask) = 0;

  // Named mutexes: a second creator anywhere in the machine gets ERROR_ALREADY_EXISTS. The
  // mutex lives while a handle to it is open, and ends with the processes that hold it.
  virtual HANDLE CreateMutexA(const void* securityAttributes, BOOL initialOwner, LPCSTR name) = 0;
  virtual BOOL ReleaseMutex(HANDLE mutex) = 0;
};

}  // namespace platform
