// Questions to the person at the machine: message boxes and file and folder choosers, behind
// one interface. The console asks on the terminal, tests script the answers, and the window
// shows dialogs.
#pragma once

#include <deque>
#include <iosfwd>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/task_trigger.h"
#include "platform/win32_types.h"

namespace platform {

// Message box buttons and icons, and the answers.
constexpr UINT MB_OK = 0x00;
constexpr UINT MB_OKCANCEL = 0x01;
constexpr UINT MB_YESNOCANCEL = 0x03;
constexpr UINT MB_YESNO = 0x04;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

class Prompt {
 public:
  virtual ~Prompt() = default;
  virtual int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) = 0;
  // A file to open, or nothing when the person cancels.
  virtual std::optional<std::string> ChooseFile(const std::string& title,
                                                const std::string& initialFolder) = 0;
  virtual std::optional<std::string> ChooseFolder(const std::string& title) = 0;
  // Several folders, shown with those chosen before; nothing when the person cancels. By
  // default one answer of ChooseFolder holding the folders separated by ";".
  virtual std::optional<std::vector<std::string>> ChooseFolders(
      const std::string& title, const std::string& text, const std::vector<std::string>& current);
  // Several files to open, chosen in a dialog that starts in the folder with the given file
  // (if any) selected and offers the filters ("LOG Files (*.log)|*.log|...||"); nothing when
  // the person cancels. By default one answer of ChooseFile per file name, ";" between them.
  virtual std::optional<std::vector<std::string>> ChooseFiles(const std::string& title,
                                                              const std::string& folder,
                                                              const std::string& selected,
                                                              const std::string& filter);
  // The schedule page of a task: the times it runs at, edited; nothing when the person
  // cancels. By default cancelled.
  virtual std::optional<std::vector<TASK_TRIGGER>> EditSchedule(
      const std::string& title, const std::vector<TASK_TRIGGER>& current);
  // Whether the person answers on the system's own desktop, where the system's own dialogs
  // (a component's property pages) may be shown to them; not a terminal or a test's script.
  virtual bool OnSystemDesktop() const { return false; }
};

// The answer that changes nothing: OK for a box with only OK, otherwise No or Cancel.
int SafeAnswer(UINT type);

// Asks on a terminal. Without a person there (input at its end, or not interactive) every
// question gets the safe answer and choosers give nothing.
class ConsolePrompt : public Prompt {
 public:
  ConsolePrompt(std::istream& in, std::ostream& out, bool interactive)
      : in_(in), out_(out), interactive_(interactive) {}

  int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override;
  std::optional<std::string> ChooseFile(const std::string& title,
                                        const std::string& initialFolder) override;
  std::optional<std::string> ChooseFolder(const std::string& title) override;
  // Asks for the schedule as "daily HH:MM", "weekly DAY[,DAY...] HH:MM" or
  // "once YYYY-MM-DD HH:MM", several joined by ";"; an empty answer cancels.
  std::optional<std::vector<TASK_TRIGGER>> EditSchedule(
      const std::string& title, const std::vector<TASK_TRIGGER>& current) override;

 private:
  std::optional<std::string> AskLine(const std::string& question);

  std::istream& in_;
  std::ostream& out_;
  bool interactive_;
  std::mutex lock_;  // one question at a time
};

// Answers given by a test in order. A question beyond the script, or of another kind than
// the next answer, gets the safe answer and is kept in Unexpected().
class ScriptedPrompt : public Prompt {
 public:
  void AnswerMessage(int answer);
  void AnswerChoice(std::optional<std::string> path);
  void AnswerFiles(std::optional<std::vector<std::string>> paths);
  void AnswerSchedule(std::optional<std::vector<TASK_TRIGGER>> triggers);

  int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override;
  std::optional<std::string> ChooseFile(const std::string& title,
                                        const std::string& initialFolder) override;
  std::optional<std::string> ChooseFolder(const std::string& title) override;
  std::optional<std::vector<std::string>> ChooseFiles(const std::string& title,
                                                      const std::string& folder,
                                                      const std::string& selected,
                                                      const std::string& filter) override;
  std::optional<std::vector<TASK_TRIGGER>> EditSchedule(
      const std::string& title, const std::vector<TASK_TRIGGER>& current) override;

  // Every question asked, as "caption: text", "choose: title", "choose files: title in
  // FOLDER [SELECTED]" or "schedule: title".
  std::vector<std::string> Asked() const;
  std::vector<std::string> Unexpected() const;
  bool AllAnswered() const;

 private:
  enum class Kind { Message, Choice, Files, Schedule };
  struct Answer {
    Kind kind;
    int button = 0;
    std::optional<std::string> path;
    std::optional<std::vector<std::string>> paths;
    std::optional<std::vector<TASK_TRIGGER>> schedule;
  };
  // The next answer when it is of that kind; else the question is kept as unexpected.
  std::optional<Answer> Next(Kind kind, const std::string& question);

  mutable std::mutex lock_;  // guards everything below
  std::deque<Answer> answers_;
  std::vector<std::string> asked_;
  std::vector<std::string> unexpected_;
};

}  // namespace platform
