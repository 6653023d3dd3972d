#include "platform/win32/win32_prompt.h"

#include <algorithm>

#include "platform/win32/prompt_calls.h"

namespace platform {
namespace {

// The interface's filter ("LOG Files (*.log)|*.log||") in the system's form: its parts
// separated by "\0" and the whole ended by "\0\0".
std::string SystemFilter(const std::string& filter) {
  if (filter.empty()) return {};
  std::string system = filter;
  std::replace(system.begin(), system.end(), '|', '\0');
  while (system.size() < 2 || system[system.size() - 1] != '\0' ||
         system[system.size() - 2] != '\0')
    system.push_back('\0');
  return system;
}

// The system's answer for several files: "folder\0name\0name" is the folder joined with each
// name, and an answer of one part is a whole path.
std::vector<std::string> ChosenPaths(const std::string& answer) {
  std::vector<std::string> parts;
  for (std::size_t start = 0; start < answer.size();) {
    std::size_t end = std::min(answer.find('\0', start), answer.size());
    if (end > start) parts.push_back(answer.substr(start, end - start));
    start = end + 1;
  }
  if (parts.size() <= 1) return parts;
  // A drive's root folder comes with its backslash ("C:\"), any other folder without.
  const std::string folder = parts.front().back() == '\\' ? parts.front() : parts.front() + '\\';
  std::vector<std::string> paths;
  for (std::size_t i = 1; i < parts.size(); ++i) paths.push_back(folder + parts[i]);
  return paths;
}

}  // namespace

int Win32Prompt::MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return win32::ShowMessageBox(owner, text, caption, type);
}

std::optional<std::string> Win32Prompt::ChooseFile(const std::string& title,
                                                   const std::string& initialFolder) {
  win32::OpenFileQuestion question;
  question.owner = owner_;
  question.title = title;
  question.folder = initialFolder;
  auto answer = win32::AskOpenFileName(question);
  if (!answer || answer->empty()) return std::nullopt;
  return answer;
}

std::optional<std::vector<std::string>> Win32Prompt::ChooseFiles(const std::string& title,
                                                                 const std::string& folder,
                                                                 const std::string& selected,
                                                                 const std::string& filter) {
  win32::OpenFileQuestion question;
  question.owner = owner_;
  question.title = title;
  question.folder = folder;
  question.selected = selected;
  question.filter = SystemFilter(filter);
  question.several = true;
  auto answer = win32::AskOpenFileName(question);
  if (!answer) return std::nullopt;
  std::vector<std::string> paths = ChosenPaths(*answer);
  if (paths.empty()) return std::nullopt;
  return paths;
}

std::optional<std::string> Win32Prompt::ChooseFolder(const std::string& title) {
  return win32::AskFolder(owner_, "", title, "");
}

std::optional<std::vector<std::string>> Win32Prompt::ChooseFolders(
    const std::string& title, const std::string& text, const std::vector<std::string>& current) {
  auto folder = win32::AskFolder(owner_, title, text, current.empty() ? "" : current.back());
  if (!folder) return std::nullopt;
  std::vector<std::string> folders = current;
  if (std::none_of(folders.begin(), folders.end(),
                   [&](const std::string& known) { return win32::SameTextNoCase(known, *folder); }))
    folders.push_back(*folder);
  return folders;
}

}  // namespace platform
