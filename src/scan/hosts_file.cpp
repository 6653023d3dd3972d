#include "scan/hosts_file.h"

#include "foundation/whole_file.h"
#include "platform/last_error.h"
#include "scan/multi_pattern.h"

namespace scan {
namespace {

// The texts that can stand on a line: an empty one would stand on every line.
std::vector<std::string> SearchableTexts(const std::vector<std::string>& texts) {
  std::vector<std::string> searchable;
  searchable.reserve(texts.size());
  for (const std::string& text : texts)
    if (!text.empty()) searchable.push_back(text);
  return searchable;
}

// A line as text mode reads it: without its line feed and a carriage return before it.
std::string_view LineText(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

bool IsLoopbackLine(std::string_view line) {
  const std::size_t start = line.find_first_not_of(" \t\r\n\v\f");
  return start != std::string_view::npos && line.substr(start, 4) == "127.";
}

std::vector<std::string> ExistingHostsFiles(platform::Machine& machine) {
  platform::System& system = machine.system();
  char windows[platform::MAX_PATH] = {}, systemFolder[platform::MAX_PATH] = {};
  system.SHGetFolderPathA(nullptr, platform::CSIDL_WINDOWS, nullptr, 0, windows);
  system.SHGetFolderPathA(nullptr, platform::CSIDL_SYSTEM, nullptr, 0, systemFolder);
  std::vector<std::string> paths;
  for (const std::string& candidate :
       {std::string(windows) + "\\hosts", std::string(windows) + "\\hosts.new",
        std::string(systemFolder) + "\\drivers\\etc\\hosts",
        std::string(systemFolder) + "\\drivers\\etc\\hosts.new"}) {
    if (machine.files().PathFileExistsA(candidate.c_str())) paths.push_back(candidate);
  }
  return paths;
}

void HostsFiles::BuildHostsFileSet() {
  paths_ = ExistingHostsFiles(machine_);
  lines_.clear();
  for (const std::string& path : paths_) {
    auto content = foundation::ReadWholeFile(machine_.files(), path);
    lines_.push_back(content ? foundation::TextLines(*content) : std::vector<std::string>());
  }
}

bool HostsFiles::HostsContains(const std::string& text) const {
  if (text.empty()) return false;
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
  for (std::size_t i = 0; i < texts.size(); ++i)
    if (texts[i].empty()) found[i] = false;
  return found;
}

bool HostsFiles::RemoveHostsEntries(const std::vector<std::string>& texts) {
  const std::vector<std::string> searchable = SearchableTexts(texts);
  if (searchable.empty()) return true;
  const MultiPatternMatcher matcher(searchable);
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
    // The kept lines are copied with their own line ends, from the first dropped line on;
    // until then the file's bytes stand as they are.
    const std::string_view bytes = *content;
    std::string kept;
    bool dropped = false;
    for (std::size_t start = 0; start < bytes.size();) {
      const std::size_t feed = bytes.find('\n', start);
      const std::size_t next = feed == std::string_view::npos ? bytes.size() : feed + 1;
      const std::string_view line = bytes.substr(start, next - start);
      const std::string_view text = LineText(line);
      if (!IsLoopbackLine(text) && matcher.Matches(text)) {
        if (!dropped) {
          kept.reserve(bytes.size());
          kept.assign(bytes.substr(0, start));
          dropped = true;
        }
      } else if (dropped) {
        kept.append(line);
      }
      start = next;
    }
    if (!dropped) continue;
    if (foundation::ReplaceWholeFile(files, paths_[file], kept)) {
      lines_[file] = foundation::TextLines(kept);
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
