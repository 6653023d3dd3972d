#include "platform/prompt.h"

#include <cctype>
#include <istream>
#include <ostream>

namespace platform {
namespace {

// The parts of a chooser's answer that holds several, separated by ";".
std::vector<std::string> SplitAnswer(const std::string& answer) {
  std::vector<std::string> parts;
  for (std::size_t start = 0; start <= answer.size();) {
    std::size_t end = answer.find(';', start);
    if (end == std::string::npos) end = answer.size();
    if (end > start) parts.push_back(answer.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

}  // namespace

std::optional<std::vector<std::string>> Prompt::ChooseFolders(
    const std::string& title, const std::string& text, const std::vector<std::string>& current) {
  std::string shown;
  for (const std::string& folder : current) shown += (shown.empty() ? "" : ";") + folder;
  auto answer = ChooseFolder(title + ": " + text + (shown.empty() ? "" : " [" + shown + "]"));
  if (!answer) return std::nullopt;
  return SplitAnswer(*answer);
}

std::optional<std::vector<std::string>> Prompt::ChooseFiles(const std::string& title,
                                                            const std::string& folder,
                                                            const std::string& selected,
                                                            const std::string&) {
  auto answer = ChooseFile(title, selected.empty() ? folder : folder + "\\" + selected);
  if (!answer) return std::nullopt;
  std::vector<std::string> files = SplitAnswer(*answer);
  if (files.empty()) return std::nullopt;
  return files;
}

std::optional<std::vector<TASK_TRIGGER>> Prompt::EditSchedule(const std::string&,
                                                              const std::vector<TASK_TRIGGER>&) {
  return std::nullopt;
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

std::optional<std::vector<TASK_TRIGGER>> ConsolePrompt::EditSchedule(
    const std::string& title, const std::vector<TASK_TRIGGER>& current) {
  std::lock_guard guard(lock_);
  out_ << title << ": ";
  if (current.empty()) out_ << "no times";
  for (std::size_t i = 0; i < current.size(); ++i)
    out_ << (i ? "; " : "") << DescribeTrigger(current[i]);
  out_ << "\n";
  for (;;) {
    auto line = AskLine(
        "New times (daily HH:MM, weekly DAY[,DAY] HH:MM, once YYYY-MM-DD HH:MM; several "
        "joined by \";\"; empty to cancel): ");
    if (!line || line->empty()) return std::nullopt;
    std::vector<TASK_TRIGGER> triggers;
    bool understood = true;
    for (std::size_t start = 0; start <= line->size() && understood;) {
      std::size_t end = line->find(';', start);
      if (end == std::string::npos) end = line->size();
      std::string part = line->substr(start, end - start);
      while (!part.empty() && part.front() == ' ') part.erase(0, 1);
      while (!part.empty() && part.back() == ' ') part.pop_back();
      if (!part.empty()) {
        auto trigger = ParseTrigger(part, LocalTimeNow());
        if (trigger) triggers.push_back(*trigger);
        understood = trigger.has_value();
      }
      start = end + 1;
    }
    if (understood && !triggers.empty()) return triggers;
    out_ << "Not understood: " << *line << "\n";
  }
}

void ScriptedPrompt::AnswerMessage(int answer) {
  std::lock_guard guard(lock_);
  answers_.push_back({Kind::Message, answer, {}, {}, {}});
}

void ScriptedPrompt::AnswerChoice(std::optional<std::string> path) {
  std::lock_guard guard(lock_);
  answers_.push_back({Kind::Choice, 0, std::move(path), {}, {}});
}

void ScriptedPrompt::AnswerFiles(std::optional<std::vector<std::string>> paths) {
  std::lock_guard guard(lock_);
  answers_.push_back({Kind::Files, 0, {}, std::move(paths), {}});
}

void ScriptedPrompt::AnswerSchedule(std::optional<std::vector<TASK_TRIGGER>> triggers) {
  std::lock_guard guard(lock_);
  answers_.push_back({Kind::Schedule, 0, {}, {}, std::move(triggers)});
}

std::optional<ScriptedPrompt::Answer> ScriptedPrompt::Next(Kind kind, const std::string& question) {
  std::lock_guard guard(lock_);
  asked_.push_back(question);
  if (answers_.empty() || answers_.front().kind != kind) {
    unexpected_.push_back(question);
    return std::nullopt;
  }
  Answer answer = std::move(answers_.front());
  answers_.pop_front();
  return answer;
}

int ScriptedPrompt::MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  auto answer =
      Next(Kind::Message, std::string(caption ? caption : "") + ": " + (text ? text : ""));
  return answer ? answer->button : SafeAnswer(type);
}

std::optional<std::string> ScriptedPrompt::ChooseFile(const std::string& title,
                                                      const std::string&) {
  auto answer = Next(Kind::Choice, "choose: " + title);
  return answer ? answer->path : std::nullopt;
}

std::optional<std::string> ScriptedPrompt::ChooseFolder(const std::string& title) {
  auto answer = Next(Kind::Choice, "choose: " + title);
  return answer ? answer->path : std::nullopt;
}

std::optional<std::vector<std::string>> ScriptedPrompt::ChooseFiles(const std::string& title,
                                                                    const std::string& folder,
                                                                    const std::string& selected,
                                                                    const std::string&) {
  auto answer = Next(Kind::Files, "choose files: " + title + " in " + folder +
                                      (selected.empty() ? "" : " [" + selected + "]"));
  return answer ? answer->paths : std::nullopt;
}

std::optional<std::vector<TASK_TRIGGER>> ScriptedPrompt::EditSchedule(
    const std::string& title, const std::vector<TASK_TRIGGER>&) {
  auto answer = Next(Kind::Schedule, "schedule: " + title);
  return answer ? answer->schedule : std::nullopt;
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
