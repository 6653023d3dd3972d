// Windows, message queues and timers of the machine, within a process and across processes.
#include "platform/image/image_messages.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "platform/handles.h"
#include "platform/image/image_machine.h"
#include "support/helper_process.h"
#include "support/temp_image.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;
using testing_support::HelperProcess;
using testing_support::TempImage;

// Runs the calling thread's message loop for a while.
void RunFor(Messages& messages, std::chrono::milliseconds time) {
  const auto end = Clock::now() + time;
  messages.SetTimer(nullptr, 0x7FFF, static_cast<UINT>(time.count()),
                    nullptr);  // wakes the loop at the end
  MSG message;
  while (Clock::now() < end && messages.GetMessageA(&message, nullptr, 0, 0))
    messages.DispatchMessageA(&message);
  messages.KillTimer(nullptr, 0x7FFF);
}

TEST(Messages, EachTimerFiresAtItsOwnPeriodUntilKilled) {
  TempImage image;
  Messages& messages = image.Machine().messages();
  std::map<WPARAM, int> fired;
  HWND window = messages.CreateWindowA("", [&](HWND, UINT message, WPARAM id, LPARAM) -> LRESULT {
    if (message == WM_TIMER) ++fired[id];
    return 0;
  });
  messages.SetTimer(window, 100, 20, nullptr);
  messages.SetTimer(window, 200, 100, nullptr);
  RunFor(messages, std::chrono::milliseconds(420));
  // Loose bounds: a loaded machine delays timers, but never fires them early.
  EXPECT_GE(fired[100], 6);
  EXPECT_LE(fired[100], 21);
  EXPECT_GE(fired[200], 1);
  EXPECT_LE(fired[200], 4);
  EXPECT_GE(fired[100], 2 * fired[200]);
  ASSERT_TRUE(messages.KillTimer(window, 100));
  EXPECT_FALSE(messages.KillTimer(window, 100));
  const int before = fired[100];
  RunFor(messages, std::chrono::milliseconds(150));
  EXPECT_EQ(fired[100], before);
  EXPECT_GT(fired[200], 1);
  messages.DestroyWindow(window);
}

TEST(Messages, SentMessagesRunOnTheOwnersThreadAndPostedOnesInOrder) {
  TempImage image;
  Messages& messages = image.Machine().messages();
  const auto owner = std::this_thread::get_id();
  std::vector<LPARAM> posted;
  bool onOwner = false;
  HWND window = messages.CreateWindowA("", [&](HWND, UINT message, WPARAM w, LPARAM l) -> LRESULT {
    if (message == WM_USER) posted.push_back(l);
    if (message == WM_USER + 1) {
      onOwner = std::this_thread::get_id() == owner;
      return static_cast<LRESULT>(w * 2);
    }
    if (message == WM_CLOSE) messages.PostQuitMessage(0);
    return 0;
  });
  LRESULT result = 0;
  std::thread worker([&] {
    for (LPARAM i = 1; i <= 3; ++i) messages.PostMessageA(window, WM_USER, 0, i);
    result = messages.SendMessageA(window, WM_USER + 1, 21, 0);  // waits for the owner
    messages.PostMessageA(window, WM_CLOSE, 0, 0);
  });
  MSG message;
  while (messages.GetMessageA(&message, nullptr, 0, 0)) messages.DispatchMessageA(&message);
  worker.join();
  EXPECT_EQ(result, 42);
  EXPECT_TRUE(onOwner);
  EXPECT_EQ(posted, (std::vector<LPARAM>{1, 2, 3}));
  messages.DestroyWindow(window);
  EXPECT_FALSE(messages.IsWindow(window));
}

TEST(Messages, AWindowOfAnotherProcessIsFoundByTitleAndAnswers) {
  TempImage image;
  Messages& messages = image.Machine().messages();
  HWND found = nullptr;
  {
    HelperProcess helper({VEXMARL_TEST_HOLDER, image.Root(), "window", "Vexmarl"});
    ASSERT_EQ(helper.Report(), "ready");
    found = messages.FindWindowA(nullptr, "Vexmarl");
    ASSERT_NE(found, nullptr);
    EXPECT_TRUE(messages.IsWindow(found));
    EXPECT_EQ(messages.SendMessageA(found, 1231, 5, 7), 1012);
    EXPECT_EQ(messages.FindWindowA(nullptr, "Other Title"), nullptr);
    helper.Kill();  // a crash takes its window with it
  }
  EXPECT_FALSE(messages.IsWindow(found));
  CloseHandle(found);
  EXPECT_EQ(messages.FindWindowA(nullptr, "Vexmarl"), nullptr);
}

TEST(Messages, WaitingForAProgramKeepsMessagesFlowing) {
  TempImage image("xp");
  std::filesystem::copy_file("/bin/sleep", image.HostPath("WINDOWS/pause.exe"));
  Messages& messages = image.Machine().messages();
  int handled = 0;
  HWND window = messages.CreateWindowA("", [&](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == WM_USER) ++handled;
    return 0;
  });
  SHELLEXECUTEINFOA info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = "C:\\WINDOWS\\pause.exe";
  info.lpParameters = "0.4";
  ASSERT_TRUE(image.Machine().shell().ShellExecuteExA(&info));
  std::thread poster([&] {
    for (int i = 0; i < 5; ++i) {
      messages.PostMessageA(window, WM_USER, 0, 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
  });
  for (;;) {
    DWORD woke = messages.MsgWaitForMultipleObjects(1, &info.hProcess, FALSE, 5000, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0 + 1) {
      messages.PumpMessages();
      continue;
    }
    EXPECT_EQ(woke, WAIT_OBJECT_0);  // the program ended, not the time
    break;
  }
  poster.join();
  messages.PumpMessages();
  EXPECT_EQ(handled, 5);
  CloseHandle(info.hProcess);
  messages.DestroyWindow(window);
}

}  // namespace
}  // namespace platform
