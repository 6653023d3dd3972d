// Seam: user32's windows, message queues and timers, and kernel32's waits and named mutexes,
// in plain types. Every window the backend makes is of one class of this module, hidden and
// top-level, whose window procedure hands each message to the backend's handler.
#pragma once

#include <cstdint>

namespace win32 {

// The backend's side of the class's window procedure: true with the result when the window's
// own procedure took the message, false for the system's default handling.
using WindowHandler = bool (*)(void* window, unsigned message, std::uintptr_t wParam,
                               std::intptr_t lParam, std::intptr_t* result);

// RegisterClassA of the class, whose procedure calls the handler; false with the error set.
bool RegisterWindowClass(WindowHandler handler);
// CreateWindowExA of a hidden top-level window of the class with the title; null on failure.
void* CreateClassWindow(const char* title);
bool DestroyWindow(void* window);
bool IsWindow(void* window);
// FindWindowExA among the top-level windows, after the given one (null: from the first).
void* FindTopLevelWindow(void* after, const char* className, const char* title);
// GetWindowThreadProcessId: the process of the window; 0 when it is no window.
unsigned long WindowProcessId(void* window);
unsigned long CurrentProcessId();

// Messages the system sends about a window's own life (creation, size, text, painting,
// activation, the end of the session, its last message): their default handling is what
// keeps the window and the session working.
bool IsWindowLifeMessage(unsigned message);
// WM_NCDESTROY: the window's last message.
bool IsLastWindowMessage(unsigned message);

// The system's MSG without its cursor position.
struct Message {
  void* window = nullptr;
  unsigned message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  std::uint32_t time = 0;
};

bool PostWindowMessage(void* window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
std::intptr_t SendWindowMessage(void* window, unsigned message, std::uintptr_t wParam,
                                std::intptr_t lParam);
// GetMessageA: above 0 for a message, 0 for WM_QUIT, -1 on failure.
int GetQueueMessage(Message* message, void* window, unsigned first, unsigned last);
bool PeekQueueMessage(Message* message, void* window, unsigned first, unsigned last,
                      unsigned remove);
bool TranslateMessage(const Message& message);
std::intptr_t DispatchQueueMessage(const Message& message);
void PostQuitMessage(int exitCode);
// SetTimer without a callback: WM_TIMER goes to the window (or the thread) with the id.
std::uintptr_t SetTimer(void* window, std::uintptr_t id, unsigned elapse);
bool KillTimer(void* window, std::uintptr_t id);

// MsgWaitForMultipleObjects over the system's handles; a wake mask with raw input, which
// systems before XP refuse, is tried again without it there.
std::uint32_t MsgWaitForMultipleObjects(std::uint32_t count, void* const* handles, bool waitAll,
                                        std::uint32_t milliseconds, std::uint32_t wakeMask);

// CreateMutexA with the system's SECURITY_ATTRIBUTES (or none); the system's last error tells
// a second creator (ERROR_ALREADY_EXISTS).
void* CreateNamedMutex(const void* securityAttributes, bool initialOwner, const char* name);
bool ReleaseMutex(void* mutex);

}  // namespace win32
