// Windows, message queues, timers and named mutexes of the machine. Each thread that makes
// a window owns a message queue; a window with a title also publishes an endpoint under the
// image's objects folder, so that another process finds it by title and sends it messages.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/machine_image.h"
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
  explicit Messages(MachineImage image);
  ~Messages();
  Messages(const Messages&) = delete;
  Messages& operator=(const Messages&) = delete;

  // A window owned by the calling thread. With a title it can be found from any process.
  HWND CreateWindowA(const std::string& title, WindowProcedure procedure);
  BOOL DestroyWindow(HWND window);
  BOOL IsWindow(HWND window);
  // A window of this process first, else one published by another process; null if none.
  HWND FindWindowA(LPCSTR className, LPCSTR title);

  BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Runs the window's procedure on its owner's thread and returns its result; the caller
  // waits. Works across processes for windows found by title.
  LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // The calling thread's queue.
  BOOL GetMessageA(MSG* message, HWND window, UINT first, UINT last);
  BOOL PeekMessageA(MSG* message, HWND window, UINT first, UINT last, UINT remove);
  BOOL TranslateMessage(const MSG* message);
  LRESULT DispatchMessageA(const MSG* message);
  void PostQuitMessage(int exitCode);
  // Handles every message waiting now, without blocking.
  void PumpMessages();
  // For another event loop on the calling thread: a descriptor that becomes readable when a
  // message is posted or sent to the thread's queue or a timer is set (PeekMessage clears
  // it), and the milliseconds until the queue's next timer is due (0 when one is due now,
  // -1 when there is none).
  int QueueWakeDescriptor();
  int MillisecondsToNextTimer();

  // Posts WM_TIMER with the id every period milliseconds to the window's thread.
  std::uintptr_t SetTimer(HWND window, std::uintptr_t id, UINT elapse, void* callback);
  BOOL KillTimer(HWND window, std::uintptr_t id);

  // Waits for one of the handles (process handles) or, with a wake mask, for a message;
  // WAIT_OBJECT_0 + index, WAIT_OBJECT_0 + count for a message, or WAIT_TIMEOUT.
  DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                  DWORD milliseconds, DWORD wakeMask);

  // Named mutexes: a second creator anywhere in the machine gets ERROR_ALREADY_EXISTS. The
  // mutex lives while a handle to it is open, and ends with the processes that hold it.
  HANDLE CreateMutexA(const void* securityAttributes, BOOL initialOwner, LPCSTR name);
  BOOL ReleaseMutex(HANDLE mutex);

  struct State;

 private:
  MachineImage image_;
  std::unique_ptr<State> state_;
};

}  // namespace platform
