#include "platform/win32/message_calls.h"

#include "platform/win32/windows_door.h"

// This module's own base address: the class is registered for the module that holds the
// procedure, so that a library with its own copy of the backend has a class of its own.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace win32 {
namespace {

constexpr const char* kClassName = "VexmarlWindow";

WindowHandler classHandler = nullptr;  // set before the class is registered, never changed

LRESULT CALLBACK ClassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::intptr_t result = 0;
  if (classHandler && classHandler(window, message, wParam, lParam, &result)) return result;
  return ::DefWindowProcA(window, message, wParam, lParam);
}

HINSTANCE ThisModule() {
  return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

MSG SystemMessage(const Message& message) {
  MSG system{};
  system.hwnd = static_cast<HWND>(message.window);
  system.message = message.message;
  system.wParam = message.wParam;
  system.lParam = message.lParam;
  system.time = message.time;
  return system;
}

void CopyMessage(const MSG& system, Message* message) {
  message->window = system.hwnd;
  message->message = system.message;
  message->wParam = system.wParam;
  message->lParam = system.lParam;
  message->time = system.time;
}

}  // namespace

bool RegisterWindowClass(WindowHandler handler) {
  classHandler = handler;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ClassProcedure;
  windowClass.hInstance = ThisModule();
  windowClass.lpszClassName = kClassName;
  return ::RegisterClassA(&windowClass) != 0;
}

void* CreateClassWindow(const char* title) {
  return ::CreateWindowExA(0, kClassName, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, ThisModule(), nullptr);
}

bool DestroyWindow(void* window) {
  return ::DestroyWindow(static_cast<HWND>(window)) != FALSE;
}

bool IsWindow(void* window) {
  return ::IsWindow(static_cast<HWND>(window)) != FALSE;
}

void* FindTopLevelWindow(void* after, const char* className, const char* title) {
  return ::FindWindowExA(nullptr, static_cast<HWND>(after), className, title);
}

unsigned long WindowProcessId(void* window) {
  DWORD process = 0;
  if (!::GetWindowThreadProcessId(static_cast<HWND>(window), &process)) return 0;
  return process;
}

unsigned long CurrentProcessId() {
  return ::GetCurrentProcessId();
}

bool IsWindowLifeMessage(unsigned message) {
  switch (message) {
    case WM_NCCREATE:
    case WM_CREATE:
    case WM_NCCALCSIZE:
    case WM_NCDESTROY:
    case WM_GETMINMAXINFO:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
    case WM_MOVE:
    case WM_SIZE:
    case WM_SHOWWINDOW:
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_GETICON:
    case WM_SETICON:
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_ERASEBKGND:
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_NCACTIVATE:
    case WM_MOUSEACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_SYSCOMMAND:
    case WM_QUERYENDSESSION:  // a 0 answer would refuse to let the session end
    case WM_QUERYOPEN:
    case WM_POWERBROADCAST:
    case WM_DEVICECHANGE:
    case WM_INPUTLANGCHANGEREQUEST:
    case WM_INPUTLANGCHANGE:
      return true;
    default:
      return false;
  }
}

bool IsLastWindowMessage(unsigned message) {
  return message == WM_NCDESTROY;
}

bool PostWindowMessage(void* window, unsigned message, std::uintptr_t wParam,
                       std::intptr_t lParam) {
  return ::PostMessageA(static_cast<HWND>(window), message, wParam, lParam) != FALSE;
}

std::intptr_t SendWindowMessage(void* window, unsigned message, std::uintptr_t wParam,
                                std::intptr_t lParam) {
  return ::SendMessageA(static_cast<HWND>(window), message, wParam, lParam);
}

int GetQueueMessage(Message* message, void* window, unsigned first, unsigned last) {
  MSG system{};
  const BOOL result = ::GetMessageA(&system, static_cast<HWND>(window), first, last);
  if (result != -1) CopyMessage(system, message);
  return result;
}

bool PeekQueueMessage(Message* message, void* window, unsigned first, unsigned last,
                      unsigned remove) {
  MSG system{};
  if (!::PeekMessageA(&system, static_cast<HWND>(window), first, last, remove)) return false;
  CopyMessage(system, message);
  return true;
}

bool TranslateMessage(const Message& message) {
  const MSG system = SystemMessage(message);
  return ::TranslateMessage(&system) != FALSE;
}

std::intptr_t DispatchQueueMessage(const Message& message) {
  const MSG system = SystemMessage(message);
  return ::DispatchMessageA(&system);
}

void PostQuitMessage(int exitCode) {
  ::PostQuitMessage(exitCode);
}

std::uintptr_t SetTimer(void* window, std::uintptr_t id, unsigned elapse) {
  return ::SetTimer(static_cast<HWND>(window), id, elapse, nullptr);
}

bool KillTimer(void* window, std::uintptr_t id) {
  return ::KillTimer(static_cast<HWND>(window), id) != FALSE;
}

std::uint32_t MsgWaitForMultipleObjects(std::uint32_t count, void* const* handles, bool waitAll,
                                        std::uint32_t milliseconds, std::uint32_t wakeMask) {
  DWORD woken =
      ::MsgWaitForMultipleObjects(count, handles, waitAll ? TRUE : FALSE, milliseconds, wakeMask);
  // Systems before XP know no raw input and refuse a mask that names it.
  if (woken == WAIT_FAILED && (wakeMask & QS_RAWINPUT) &&
      (::GetLastError() == ERROR_INVALID_PARAMETER || ::GetLastError() == ERROR_INVALID_FLAGS))
    woken = ::MsgWaitForMultipleObjects(count, handles, waitAll ? TRUE : FALSE, milliseconds,
                                        wakeMask & ~QS_RAWINPUT);
  return woken;
}

void* CreateNamedMutex(const void* securityAttributes, bool initialOwner, const char* name) {
  return ::CreateMutexA(static_cast<SECURITY_ATTRIBUTES*>(const_cast<void*>(securityAttributes)),
                        initialOwner ? TRUE : FALSE, name);
}

bool ReleaseMutex(void* mutex) {
  return ::ReleaseMutex(mutex) != FALSE;
}

}  // namespace win32
