// The system's hosts files: which of the four candidates exist, whether a text stands on one
// of their lines, and rewriting them without such lines. Loopback lines ("127." after
// leading white space) are never matched and never removed, and an empty text matches no
// line at all. Letter case counts in every comparison.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/machine.h"

namespace scan {

bool IsLoopbackLine(std::string_view line);

// hosts and hosts.new in the Windows folder, then in the system folder's drivers\etc: those
// that exist, in that order.
std::vector<std::string> ExistingHostsFiles(platform::Machine& machine);

class HostsFiles {
 public:
  explicit HostsFiles(platform::Machine& machine) : machine_(machine) {}

  // The existing hosts files; their lines are read here once for the phase's lookups.
  void BuildHostsFileSet();
  const std::vector<std::string>& Paths() const { return paths_; }

  // True when a line that is not a loopback line of any file contains the text.
  bool HostsContains(const std::string& text) const;
  // The same for many texts in one pass over the lines: one flag per text, in order.
  std::vector<bool> HostsContainAll(const std::vector<std::string>& texts) const;
  // Rewrites each file of the set without its lines that contain any of the texts, in one
  // pass: each file is read once and, when it loses a line, replaced once. Loopback lines and
  // every other line stay as they were, each with its own line end (CR LF, LF, or none at the
  // end of the file); a file that loses no line is not written. A file that cannot be read
  // or replaced (gone, read-only, in use) is passed over; false when a read failed or a new
  // content could not be written, in which case that file keeps its old content and the
  // files after it are not looked at.
  bool RemoveHostsEntries(const std::vector<std::string>& texts);
  bool RemoveHostsEntry(const std::string& text) { return RemoveHostsEntries({text}); }

 private:
  platform::Machine& machine_;
  std::vector<std::string> paths_;
  std::vector<std::vector<std::string>> lines_;  // of each file of paths_, as last read
};

}  // namespace scan
