// The message box of the Windows system, answered by a person played by another thread that
// finds the box by its caption and presses a button in it.
#include "platform/win32/win32_prompt.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "platform/win32/win32_messages.h"

namespace platform {
namespace {

constexpr UINT WM_COMMAND = 0x0111;
constexpr const char* kDialogClass = "#32770";  // the system's class of dialog boxes
constexpr int kLooks = 500;                     // of 10 ms each, for the box to be up

TEST(Win32PromptTest, MessageBoxAnswersTheButtonPressed) {
  Win32Prompt prompt;
  Win32Messages messages;
  const std::string caption = "Vexmarl test question " + std::to_string(std::random_device{}());
  bool pressed = false;
  std::thread person([&] {
    for (int look = 0; look < kLooks && !pressed; ++look) {
      if (HWND box = messages.FindWindowA(kDialogClass, caption.c_str()))
        pressed = messages.PostMessageA(box, WM_COMMAND, IDYES, 0);
      else
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  });
  const int answer = prompt.MessageBoxA(nullptr, "Remove the items found?", caption.c_str(),
                                        MB_YESNO | MB_ICONQUESTION);
  person.join();
  EXPECT_TRUE(pressed);
  EXPECT_EQ(answer, IDYES);
}

}  // namespace
}  // namespace platform
