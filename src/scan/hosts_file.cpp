#include "scan/hosts_file.h"

#include "foundation/whole_file.h"
#include "platform/last_error.h"
#include "scan/multi_pattern.h"

namespace scan {

bool IsLoopbackLine(const std::string& line) {
  const std::size_t start = line.find_first_not_of(" \t\r\n\v\f");
  return start != std::string::npos && line.compare(start, 4, "127.") == 0;
}

void HostsFiles::BuildHostsFileSet() {
  platform::System& system = machine_.system();
  char windows[platform::MAX_PATH] = {}, systemFolder[platform::MAX_PATH] = {};
  system.SHGetFolderPathA(nullptr, platform::CSIDL_WINDOWS, nullptr, 0, windows);
  system.SHGetFolderPathA(nullptr, platform::CSIDL_SYSTEM, nullptr, 0, systemFolder);
  paths_.clear();
  lines_.clear();
  for (const std::string& candidate :
       {std::string(windows) + "\\hosts", std::string(windows) + "\\hosts.new",
        std::string(systemFolder) + "\\drivers\\etc\\hosts",
        std::string(systemFolder) + "\\drivers\\etc\\hosts.new"}) {
    if (!machine_.files().PathFileExistsA(candidate.c_str())) continue;
    paths_.push_back(candidate);
    auto content = foundation::ReadWholeFile(machine_.files(), candidate);
    lines_.push_back(content ? foundation::TextLines(*content) : std::vector<std::string>());
  }
}

bool HostsFiles::HostsContains(const std::string& text) const {
  for (const std::vector<std::string>& lines : lines_)
    for (const std::string& line : lines)
      if (!IsLoopbackLine(line) && line.find(text) != std::string::npos) return true;
  return false;
}

std::vector<bool> HostsFiles::HostsContainAll(const std::vector<std::string>& texts) const {
  std::vector<bool> found(texts.size(), false);
  const MultiPatternMatcher matcher(texts);
  for (const std::vector<std::string>& lines : lines_)
    for (const std::string& line : lines)
      if (!IsLoopbackLine(line)) matcher.Scan(line, found);
  return found;
}

bool HostsFiles::RemoveHostsEntry(const std::string& text) {
  platform::Files& files = machine_.files();
  for (std::size_t file = 0; file < paths_.size(); ++file) {
    auto content = foundation::ReadWholeFile(files, paths_[file]);
    if (!content) {
      // A file that is gone, locked or closed to us is passed over; one that fails while it
      // is read keeps its lines, and the removal did not happen.
      const platform::DWORD error = platform::GetLastError();
      if (error == platform::ERROR_FILE_NOT_FOUND || error == platform::ERROR_PATH_NOT_FOUND ||
          error == platform::ERROR_ACCESS_DENIED || error == platform::ERROR_SHARING_VIOLATION)
        continue;
      return false;
    }
    std::vector<std::string> kept;
    std::string newContent;
    for (const std::string& line : foundation::TextLines(*content)) {
      if (!IsLoopbackLine(line) && line.find(text) != std::string::npos) continue;
      kept.push_back(line);
      newContent += line + "\r\n";
    }
    if (foundation::ReplaceWholeFile(files, paths_[file], newContent)) {
      lines_[file] = std::move(kept);
      continue;
    }
    // A file that cannot be replaced (read-only, in use) is passed over like one that cannot
    // be opened; a new content that could not be written fails the operation.
    const platform::DWORD error = platform::GetLastError();
    if (error != platform::ERROR_ACCESS_DENIED && error != platform::ERROR_SHARING_VIOLATION)
      return false;
  }
  return true;
}

}  // namespace scan
