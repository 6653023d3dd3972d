#include "platform/prompt.h"

#include <cctype>
#include <istream>
#include <ostream>

namespace platform {

std::optional<std::vector<std::string>> Prompt::ChooseFolders(
    const std::string& title, const std::string& text, const std::vector<std::string>& current) {
  std::string shown;
  for (const std::string& folder : current) shown += (shown.empty() ? "" : ";") + folder;
  auto answer = ChooseFolder(title + ": " + text + (shown.empty() ? "" : " [" + shown + "]"));
  if (!answer) return std::nullopt;
  std::vector<std::string> folders;
  for (std::size_t start = 0; start <= answer->size();) {
    std::size_t end = answer->find(';', start);
    if (end == std::string::npos) end = answer->size();
    if (end > start) folders.push_back(answer->substr(start, end - start));
    start = end + 1;
  }
  return folders;
}

int SafeAnswer(UINT type) {
  switch (type & 0x0F) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
      return IDCANCEL;
    case MB_YESNO:
      return IDNO;
    default:
      return IDOK;
  }
}

std::optional<std::string> ConsolePrompt::AskLine(const std::string& question) {
  out_ << question << std::flush;
  std::string line;
  if (!interactive_ || !std::getline(in_, line)) {
    out_ << "\n";
    return std::nullopt;
  }
  return line;
}

int ConsolePrompt::MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  std::lock_guard guard(lock_);
  out_ << (caption ? caption : "") << ": " << (text ? text : "") << "\n";
  const UINT buttons = type & 0x0F;
  if (buttons == MB_OK) {
    AskLine("[press Enter] ");
    return IDOK;
  }
  const char* choices = buttons == MB_YESNO         ? "[y/n] "
                        : buttons == MB_YESNOCANCEL ? "[y/n/c] "
                                                    : "[o/c] ";
  for (;;) {
    auto line = AskLine(choices);
    if (!line) return SafeAnswer(type);
    const char answer =
        line->empty() ? '\0'
                      : static_cast<char>(std::tolower(static_cast<unsigned char>((*line)[0])));
    if (buttons == MB_OKCANCEL) {
      if (answer == 'o') return IDOK;
      if (answer == 'c') return IDCANCEL;
    } else {
      if (answer == 'y') return IDYES;
      if (answer == 'n') return IDNO;
      if (answer == 'c' && buttons == MB_YESNOCANCEL) return IDCANCEL;
    }
  }
}

std::optional<std::string> ConsolePrompt::ChooseFile(const std::string& title,
                                                     const std::string& initialFolder) {
  std::lock_guard guard(lock_);
  auto line =
      AskLine(title + " (a Windows path, starting in " + initialFolder + "; empty to cancel): ");
  if (!line || line->empty()) return std::nullopt;
  return line;
}

std::optional<std::string> ConsolePrompt::ChooseFolder(const std::string& title) {
  std::lock_guard guard(lock_);
  auto line = AskLine(title + " (a Windows folder; empty to cancel): ");
  if (!line || line->empty()) return std::nullopt;
  return line;
}

void ScriptedPrompt::AnswerMessage(int answer) {
  std::lock_guard guard(lock_);
  answers_.push_back({true, answer, std::nullopt});
}

void ScriptedPrompt::AnswerChoice(std::optional<std::string> path) {
  std::lock_guard guard(lock_);
  answers_.push_back({false, 0, std::move(path)});
}

int ScriptedPrompt::MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  std::lock_guard guard(lock_);
  const std::string question = std::string(caption ? caption : "") + ": " + (text ? text : "");
  asked_.push_back(question);
  if (answers_.empty() || !answers_.front().message) {
    unexpected_.push_back(question);
    return SafeAnswer(type);
  }
  int answer = answers_.front().button;
  answers_.pop_front();
  return answer;
}

std::optional<std::string> ScriptedPrompt::Choice(const std::string& title) {
  std::lock_guard guard(lock_);
  const std::string question = "choose: " + title;
  asked_.push_back(question);
  if (answers_.empty() || answers_.front().message) {
    unexpected_.push_back(question);
    return std::nullopt;
  }
  auto path = answers_.front().path;
  answers_.pop_front();
  return path;
}

std::optional<std::string> ScriptedPrompt::ChooseFile(const std::string& title,
                                                      const std::string&) {
  return Choice(title);
}

std::optional<std::string> ScriptedPrompt::ChooseFolder(const std::string& title) {
  return Choice(title);
}

std::vector<std::string> ScriptedPrompt::Asked() const {
  std::lock_guard guard(lock_);
  return asked_;
}

std::vector<std::string> ScriptedPrompt::Unexpected() const {
  std::lock_guard guard(lock_);
  return unexpected_;
}

bool ScriptedPrompt::AllAnswered() const {
  std::lock_guard guard(lock_);
  return answers_.empty();
}

}  // namespace platform
