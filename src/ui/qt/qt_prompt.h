// The prompt of the Qt window: message boxes, and file and folder choosers that show the
// machine's drives and answer with Windows paths. Questions asked from a worker thread are
// shown on Qt's thread while the worker waits.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/resources.h"
#include "platform/image/image_machine.h"
#include "platform/prompt.h"

namespace ui::qt {

class QtPrompt : public platform::Prompt {
 public:
  explicit QtPrompt(platform::ImageMachine& machine) : machine_(machine) {}

  // The window the dialogs belong to (none: they stand alone).
  void SetParent(QWidget* parent) { parent_ = parent; }
  // The program's texts for the dialogs' own buttons (none: built-in ones).
  void SetTexts(const app::Resources* texts) { texts_ = texts; }

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
  // A host path chosen in a dialog as a Windows path; nothing when it lies outside the drives.
  std::optional<std::string> WindowsPath(const QString& hostPath) const;
  QString HostFolder(const std::string& windowsFolder) const;
  std::optional<std::string> AskFolder(QWidget* parent, const std::string& title);

  QString Text(unsigned id, const char* fallback) const;

  platform::ImageMachine& machine_;
  QPointer<QWidget> parent_;
  const app::Resources* texts_ = nullptr;
};

}  // namespace ui::qt
