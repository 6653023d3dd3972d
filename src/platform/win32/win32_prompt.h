// Questions to the person at a Windows machine in the system's own dialogs: message boxes,
// the common dialog for opening files and the shell's folder browser. The schedule page is
// the Windows window's own dialog and is not here (a schedule question is cancelled).
#pragma once

#include "platform/prompt.h"

namespace platform {

class Win32Prompt : public Prompt {
 public:
  // The window that owns the choosers (none: they are top-level).
  explicit Win32Prompt(HWND owner = nullptr) : owner_(owner) {}

  bool OnSystemDesktop() const override { return true; }

  int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override;
  std::optional<std::string> ChooseFile(const std::string& title,
                                        const std::string& initialFolder) override;
  std::optional<std::string> ChooseFolder(const std::string& title) override;
  // One folder browsed for, starting at the last one chosen before, and added to those
  // (unless it is one of them already).
  std::optional<std::vector<std::string>> ChooseFolders(
      const std::string& title, const std::string& text,
      const std::vector<std::string>& current) override;
  std::optional<std::vector<std::string>> ChooseFiles(const std::string& title,
                                                      const std::string& folder,
                                                      const std::string& selected,
                                                      const std::string& filter) override;

 private:
  HWND owner_;
};

}  // namespace platform
