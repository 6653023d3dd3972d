// Windows, message queues, timers, waits and named mutexes of the Windows system: a window
// found by its title and sent a message from another thread, posted messages and timers
// through the message loop, a wait for a process and for a message, and a mutex's second
// creator.
#include "platform/win32/win32_messages.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "messages_test_calls.h"
#include "platform/handles.h"
#include "platform/last_error.h"
#include "platform/processes.h"
#include "platform/win32/system_handles.h"

namespace platform {
namespace {

constexpr UINT kAdd = WM_USER + 1;
constexpr UINT kPosted = WM_USER + 2;
constexpr std::uintptr_t kTimer = 7;
constexpr std::uintptr_t kGuardTimer = 8;  // ends a loop that would otherwise wait for ever
constexpr DWORD kLongWait = 5000;

// A name no other run uses.
std::string UniqueName(const std::string& prefix) {
  return prefix + " " + std::to_string(std::random_device{}());
}

TEST(Win32MessagesTest, WindowOfAnotherThreadIsFoundByTitleAndAnswersSentMessages) {
  Win32Messages messages;
  const std::string title = UniqueName("Vexmarl test window");
  std::promise<HWND> made;
  std::thread::id procedureThread;
  bool destroyed = false;
  std::thread owner([&] {
    HWND window = messages.CreateWindowA(
        title, [&](HWND self, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
          procedureThread = std::this_thread::get_id();
          if (message == kAdd) return static_cast<LRESULT>(wParam) + lParam;
          if (message == WM_CLOSE) {
            messages.DestroyWindow(self);  // the procedure ends its own window
            messages.PostQuitMessage(0);
          }
          if (message == WM_DESTROY) destroyed = true;
          return 0;
        });
    made.set_value(window);
    MSG message;
    while (window && messages.GetMessageA(&message, nullptr, 0, 0) > 0)
      messages.DispatchMessageA(&message);
  });
  const std::thread::id ownerThread = owner.get_id();
  HWND window = made.get_future().get();
  if (!window) owner.join();  // its loop has not begun
  ASSERT_NE(window, nullptr);

  EXPECT_EQ(messages.FindWindowA(nullptr, title.c_str()), window);
  EXPECT_EQ(messages.SendMessageA(window, kAdd, 40, 2), 42);
  EXPECT_EQ(procedureThread, ownerThread);
  messages.SendMessageA(window, WM_CLOSE, 0, 0);
  owner.join();
  EXPECT_TRUE(destroyed);
  EXPECT_FALSE(messages.IsWindow(window));
  EXPECT_EQ(messages.FindWindowA(nullptr, title.c_str()), nullptr);
}

TEST(Win32MessagesTest, PostedMessageAndTimerReachTheProcedureUntilTheTimerIsKilled) {
  Win32Messages messages;
  std::vector<std::string> seen;
  int ticks = 0;
  HWND window = messages.CreateWindowA(
      "", [&](HWND self, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message == kPosted)
          seen.push_back("posted " + std::to_string(wParam) + " " + std::to_string(lParam));
        if (message == WM_TIMER && wParam == kTimer) {
          seen.push_back("timer");
          if (++ticks == 3) {
            messages.KillTimer(self, kTimer);
            messages.PostQuitMessage(7);
          }
        }
        if (message == WM_TIMER && wParam == kGuardTimer) messages.PostQuitMessage(1);
        return 0;
      });
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(messages.SetTimer(window, kTimer, 10, nullptr), kTimer);
  ASSERT_EQ(messages.SetTimer(window, kGuardTimer, kLongWait, nullptr), kGuardTimer);
  ASSERT_TRUE(messages.PostMessageA(window, kPosted, 5, 6));

  MSG message;
  while (messages.GetMessageA(&message, nullptr, 0, 0) > 0) {
    messages.TranslateMessage(&message);
    messages.DispatchMessageA(&message);
  }
  EXPECT_EQ(message.message, WM_QUIT);
  EXPECT_EQ(message.wParam, 7u);
  EXPECT_EQ(seen, (std::vector<std::string>{"posted 5 6", "timer", "timer", "timer"}));

  // Many periods later no WM_TIMER of the killed timer waits.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  while (messages.PeekMessageA(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE))
    EXPECT_NE(message.wParam, kTimer);
  EXPECT_TRUE(messages.DestroyWindow(window));
}

// The stand-in program, ended when the test is over whatever happened.
class StandIn {
 public:
  StandIn() : process_(win32::StartProgram(VEXMARL_STAND_IN)) {}
  ~StandIn() {
    if (process_ && !ended_) win32::EndProgram(process_);
    if (handle_) CloseHandle(handle_);
  }
  StandIn(const StandIn&) = delete;
  StandIn& operator=(const StandIn&) = delete;

  // The platform's handle of the process, which owns the system's.
  HANDLE Handle() {
    if (process_ && !handle_) handle_ = AddSystemHandle(process_, SystemHandleKind::Process);
    return handle_;
  }
  bool End() { return ended_ = win32::EndProgram(process_); }

 private:
  void* process_;
  HANDLE handle_ = nullptr;
  bool ended_ = false;
};

TEST(Win32MessagesTest, WaitReturnsForAMessageAndForAnEndedProcess) {
  Win32Messages messages;
  StandIn standIn;
  HANDLE process = standIn.Handle();
  ASSERT_NE(process, nullptr);

  EXPECT_EQ(messages.MsgWaitForMultipleObjects(1, &process, FALSE, 50, QS_ALLINPUT), WAIT_TIMEOUT);
  ASSERT_TRUE(messages.PostMessageA(nullptr, kPosted, 0, 0));
  EXPECT_EQ(messages.MsgWaitForMultipleObjects(1, &process, FALSE, kLongWait, QS_ALLINPUT),
            WAIT_OBJECT_0 + 1);
  MSG message;
  ASSERT_TRUE(messages.PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, kPosted);

  ASSERT_TRUE(standIn.End());
  EXPECT_EQ(messages.MsgWaitForMultipleObjects(1, &process, FALSE, kLongWait, QS_ALLINPUT),
            WAIT_OBJECT_0);

  HANDLE mutex = messages.CreateMutexA(nullptr, FALSE, nullptr);
  ASSERT_NE(mutex, nullptr);
  EXPECT_EQ(messages.MsgWaitForMultipleObjects(1, &mutex, FALSE, 0, QS_ALLINPUT), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  CloseHandle(mutex);
}

TEST(Win32MessagesTest, SecondCreatorOfANamedMutexIsToldItExistsUntilEveryHandleIsClosed) {
  Win32Messages messages;
  const std::string name = UniqueName("Vexmarl test mutex");
  SetLastError(ERROR_ALREADY_EXISTS);  // a stale error is not the answer
  HANDLE first = messages.CreateMutexA(nullptr, TRUE, name.c_str());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  HANDLE second = messages.CreateMutexA(nullptr, TRUE, name.c_str());
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_TRUE(messages.ReleaseMutex(first));
  CloseHandle(first);
  CloseHandle(second);

  HANDLE third = messages.CreateMutexA(nullptr, TRUE, name.c_str());
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  CloseHandle(third);
}

}  // namespace
}  // namespace platform
