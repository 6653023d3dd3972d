#include "platform/win32/win32_messages.h"

#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/last_error.h"
#include "platform/processes.h"
#include "platform/win32/message_calls.h"
#include "platform/win32/system_handles.h"

namespace platform {
namespace {

struct WindowEntry {
  WindowProcedure procedure;
  const Win32Messages* maker;
  std::thread::id owner;
};

// The procedures of this module's windows, by window. Made once and never destroyed: a window
// of a thread still running can receive a message while the process ends.
struct WindowTable {
  std::mutex lock;  // guards windows
  std::unordered_map<HWND, std::shared_ptr<const WindowEntry>> windows;
};

WindowTable& Windows() {
  static WindowTable* table = new WindowTable;
  return *table;
}

std::shared_ptr<const WindowEntry> EntryOf(HWND window) {
  WindowTable& table = Windows();
  std::lock_guard guard(table.lock);
  auto found = table.windows.find(window);
  return found == table.windows.end() ? nullptr : found->second;
}

// The class's procedure. It holds the entry while the window's procedure runs, which may
// destroy its own window or make others, so the table's lock is not held then.
bool Route(void* window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
           std::intptr_t* result) {
  if (win32::IsLastWindowMessage(message)) {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    table.windows.erase(window);
    return false;
  }
  if (win32::IsWindowLifeMessage(message)) return false;
  std::shared_ptr<const WindowEntry> entry = EntryOf(window);
  if (!entry || !entry->procedure) return false;  // still being made, or let go
  *result = entry->procedure(window, message, wParam, lParam);
  return true;
}

// The error of registering the window class, once for this module; ERROR_SUCCESS once it is
// there.
DWORD ClassError() {
  static const DWORD error = win32::RegisterWindowClass(Route) ? ERROR_SUCCESS : GetLastError();
  return error;
}

void CopyMessage(const win32::Message& system, MSG* message) {
  message->hwnd = system.window;
  message->message = system.message;
  message->wParam = system.wParam;
  message->lParam = system.lParam;
  message->time = system.time;
}

win32::Message SystemMessage(const MSG& message) {
  return win32::Message{message.hwnd, message.message, message.wParam, message.lParam,
                        message.time};
}

}  // namespace

Win32Messages::~Win32Messages() {
  std::vector<HWND> own;
  {
    WindowTable& table = Windows();
    std::lock_guard guard(table.lock);
    for (auto it = table.windows.begin(); it != table.windows.end();) {
      if (it->second->maker != this) {
        ++it;
      } else if (it->second->owner == std::this_thread::get_id()) {
        own.push_back((it++)->first);
      } else {
        it = table.windows.erase(it);  // only its own thread can destroy it
      }
    }
  }
  for (HWND window : own) win32::DestroyWindow(window);
}

HWND Win32Messages::CreateWindowA(const std::string& title, WindowProcedure procedure) {
  if (const DWORD error = ClassError(); error != ERROR_SUCCESS) return Fail(error, HWND{nullptr});
  // The messages of the window's making arrive before it is in the table and get the
  // default handling. What another thread sends or posts is taken by this thread's next look
  // at its queue, when the procedure is in place.
  HWND window = win32::CreateClassWindow(title.c_str());
  if (!window) return nullptr;
  auto entry = std::make_shared<const WindowEntry>(
      WindowEntry{std::move(procedure), this, std::this_thread::get_id()});
  WindowTable& table = Windows();
  std::lock_guard guard(table.lock);
  table.windows[window] = std::move(entry);
  return window;
}

BOOL Win32Messages::DestroyWindow(HWND window) {
  return win32::DestroyWindow(window) ? TRUE : FALSE;
}

BOOL Win32Messages::IsWindow(HWND window) {
  return win32::IsWindow(window) ? TRUE : FALSE;
}

HWND Win32Messages::FindWindowA(LPCSTR className, LPCSTR title) {
  const unsigned long self = win32::CurrentProcessId();
  HWND first = nullptr;
  for (HWND window = win32::FindTopLevelWindow(nullptr, className, title); window;
       window = win32::FindTopLevelWindow(window, className, title)) {
    if (win32::WindowProcessId(window) == self) return window;
    if (!first) first = window;
  }
  return first;
}

BOOL Win32Messages::PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return win32::PostWindowMessage(window, message, wParam, lParam) ? TRUE : FALSE;
}

LRESULT Win32Messages::SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return win32::SendWindowMessage(window, message, wParam, lParam);
}

BOOL Win32Messages::GetMessageA(MSG* message, HWND window, UINT first, UINT last) {
  if (!message) return Fail(ERROR_INVALID_PARAMETER, -1);
  win32::Message system;
  const int result = win32::GetQueueMessage(&system, window, first, last);
  if (result != -1) CopyMessage(system, message);
  return result;
}

BOOL Win32Messages::PeekMessageA(MSG* message, HWND window, UINT first, UINT last, UINT remove) {
  if (!message) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  win32::Message system;
  if (!win32::PeekQueueMessage(&system, window, first, last, remove)) return FALSE;
  CopyMessage(system, message);
  return TRUE;
}

BOOL Win32Messages::TranslateMessage(const MSG* message) {
  if (!message) return FALSE;
  return win32::TranslateMessage(SystemMessage(*message)) ? TRUE : FALSE;
}

LRESULT Win32Messages::DispatchMessageA(const MSG* message) {
  if (!message) return 0;
  return win32::DispatchQueueMessage(SystemMessage(*message));
}

void Win32Messages::PostQuitMessage(int exitCode) {
  win32::PostQuitMessage(exitCode);
}

std::uintptr_t Win32Messages::SetTimer(HWND window, std::uintptr_t id, UINT elapse, void*) {
  return win32::SetTimer(window, id, elapse);
}

BOOL Win32Messages::KillTimer(HWND window, std::uintptr_t id) {
  return win32::KillTimer(window, id) ? TRUE : FALSE;
}

DWORD Win32Messages::MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                               DWORD milliseconds, DWORD wakeMask) {
  if (count > 0 && !handles) return Fail(ERROR_INVALID_PARAMETER, WAIT_FAILED);
  // The entries are held while the system waits: a handle that another thread closes
  // meanwhile keeps its process handle open until the wait has ended.
  std::vector<std::shared_ptr<SystemHandle>> held;
  std::vector<void*> system;
  for (DWORD i = 0; i < count; ++i) {
    auto entry = LookUpHandleAs<SystemHandle>(handles[i]);
    if (!entry || entry->Kind() != SystemHandleKind::Process)
      return Fail(ERROR_INVALID_HANDLE, WAIT_FAILED);
    system.push_back(entry->Handle());
    held.push_back(std::move(entry));
  }
  return win32::MsgWaitForMultipleObjects(count, system.data(), waitAll != FALSE, milliseconds,
                                          wakeMask);
}

HANDLE Win32Messages::CreateMutexA(const void* securityAttributes, BOOL initialOwner, LPCSTR name) {
  void* mutex = win32::CreateNamedMutex(securityAttributes, initialOwner != FALSE, name);
  if (!mutex) return nullptr;
  // Only ERROR_ALREADY_EXISTS tells anything after a success; it survives the table's work.
  const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
  HANDLE handle = AddSystemHandle(mutex, SystemHandleKind::Mutex);
  if (!handle) return nullptr;
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

BOOL Win32Messages::ReleaseMutex(HANDLE mutex) {
  void* system = SystemHandleOf(mutex, SystemHandleKind::Mutex);
  if (!system) return FALSE;
  return win32::ReleaseMutex(system) ? TRUE : FALSE;
}

}  // namespace platform
