// The prompt of the Windows window: the system's message boxes and choosers owned by the
// window once it is on the screen, and the program's own schedule dialog. Questions asked
// from another thread are shown on the window's thread while that thread waits.
#pragma once

#include "platform/win32/win32_prompt.h"

namespace ui::win32 {

class Frame;

class Win32ViewPrompt : public platform::Win32Prompt {
 public:
  // The frame exists as long as the prompt.
  explicit Win32ViewPrompt(Frame& frame);

  // The box belongs to the window while it is shown (the controller names its own hidden
  // window), else to the owner given if that is on the screen.
  int MessageBoxA(platform::HWND owner, platform::LPCSTR text, platform::LPCSTR caption,
                  platform::UINT type) override;
  std::optional<std::string> ChooseFile(const std::string& title,
                                        const std::string& initialFolder) override;
  std::optional<std::string> ChooseFolder(const std::string& title) override;
  std::optional<std::vector<std::string>> ChooseFolders(
      const std::string& title, const std::string& text,
      const std::vector<std::string>& current) override;
  std::optional<std::vector<std::string>> ChooseFiles(const std::string& title,
                                                      const std::string& folder,
                                                      const std::string& selected,
                                                      const std::string& filter) override;
  std::optional<std::vector<platform::TASK_TRIGGER>> EditSchedule(
      const std::string& title, const std::vector<platform::TASK_TRIGGER>& current) override;

 private:
  platform::HWND Owner(platform::HWND given) const;

  Frame& frame_;
};

}  // namespace ui::win32
