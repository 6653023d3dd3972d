// Windows, message queues, timers and named mutexes of a machine image. Each thread that
// makes a window owns a message queue; a window with a title also publishes an endpoint under
// the image's objects folder, so that another process finds it by title and sends it
// messages. Named mutexes are lock files there.
#pragma once

#include <memory>
#include <string>

#include "platform/image/machine_image.h"
#include "platform/messages.h"

namespace platform {

class ImageMessages : public Messages {
 public:
  explicit ImageMessages(MachineImage image);
  ~ImageMessages() override;
  ImageMessages(const ImageMessages&) = delete;
  ImageMessages& operator=(const ImageMessages&) = delete;

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
  std::uintptr_t SetTimer(HWND window, std::uintptr_t id, UINT elapse, void* callback) override;
  BOOL KillTimer(HWND window, std::uintptr_t id) override;
  DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                  DWORD milliseconds, DWORD wakeMask) override;
  HANDLE CreateMutexA(const void* securityAttributes, BOOL initialOwner, LPCSTR name) override;
  BOOL ReleaseMutex(HANDLE mutex) override;

  // For another event loop on the calling thread: a descriptor that becomes readable when a
  // message is posted or sent to the thread's queue or a timer is set (PeekMessage clears
  // it), and the milliseconds until the queue's next timer is due (0 when one is due now,
  // -1 when there is none).
  int QueueWakeDescriptor();
  int MillisecondsToNextTimer();

  struct State;

 private:
  MachineImage image_;
  std::unique_ptr<State> state_;
};

}  // namespace platform
