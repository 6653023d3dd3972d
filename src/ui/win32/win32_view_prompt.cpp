#include "ui/win32/win32_view_prompt.h"

#include "ui/win32/frame.h"
#include "ui/win32/schedule_dialog.h"

namespace ui::win32 {

Win32ViewPrompt::Win32ViewPrompt(Frame& frame) : Win32Prompt(frame.Handle()), frame_(frame) {}

platform::HWND Win32ViewPrompt::Owner(platform::HWND given) const {
  if (frame_.Showing()) return frame_.Handle();
  return given && sys::Visible(given) ? given : nullptr;
}

int Win32ViewPrompt::MessageBoxA(platform::HWND owner, platform::LPCSTR text,
                                 platform::LPCSTR caption, platform::UINT type) {
  int answer = 0;
  frame_.RunHere([&] { answer = Win32Prompt::MessageBoxA(Owner(owner), text, caption, type); });
  return answer;
}

std::optional<std::string> Win32ViewPrompt::ChooseFile(const std::string& title,
                                                       const std::string& initialFolder) {
  std::optional<std::string> chosen;
  frame_.RunHere([&] { chosen = Win32Prompt::ChooseFile(title, initialFolder); });
  return chosen;
}

std::optional<std::string> Win32ViewPrompt::ChooseFolder(const std::string& title) {
  std::optional<std::string> chosen;
  frame_.RunHere([&] { chosen = Win32Prompt::ChooseFolder(title); });
  return chosen;
}

std::optional<std::vector<std::string>> Win32ViewPrompt::ChooseFolders(
    const std::string& title, const std::string& text, const std::vector<std::string>& current) {
  std::optional<std::vector<std::string>> chosen;
  frame_.RunHere([&] { chosen = Win32Prompt::ChooseFolders(title, text, current); });
  return chosen;
}

std::optional<std::vector<std::string>> Win32ViewPrompt::ChooseFiles(const std::string& title,
                                                                     const std::string& folder,
                                                                     const std::string& selected,
                                                                     const std::string& filter) {
  std::optional<std::vector<std::string>> chosen;
  frame_.RunHere([&] { chosen = Win32Prompt::ChooseFiles(title, folder, selected, filter); });
  return chosen;
}

std::optional<std::vector<platform::TASK_TRIGGER>> Win32ViewPrompt::EditSchedule(
    const std::string& title, const std::vector<platform::TASK_TRIGGER>& current) {
  std::optional<std::vector<platform::TASK_TRIGGER>> edited;
  frame_.RunHere([&] { edited = ScheduleDialog(title, current).Run(Owner(nullptr)); });
  return edited;
}

}  // namespace ui::win32
