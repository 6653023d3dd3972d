// The system's hosts files: which of the four candidates exist, whether a text stands on one
// of their lines, and rewriting them without such lines. Loopback lines ("127." after
// leading white space) are never matched and never removed.
#pragma once

#include <string>
#include <vector>

#include "platform/machine.h"

namespace scan {

bool IsLoopbackLine(const std::string& line);

class HostsFiles {
 public:
  explicit HostsFiles(platform::Machine& machine) : machine_(machine) {}

  // hosts and hosts.new in the Windows folder, then in the system folder's drivers\etc; their
  // lines are read here once for the phase's lookups.
  void BuildHostsFileSet();
  const std::vector<std::string>& Paths() const { return paths_; }

  // True when a line that is not a loopback line of any file contains the text (letter case
  // counts).
  bool HostsContains(const std::string& text) const;
  // The same for many texts in one pass over the lines: one flag per text, in order.
  std::vector<bool> HostsContainAll(const std::vector<std::string>& texts) const;
  // Rewrites each file without its lines that contain the text, loopback lines kept. A file
  // that cannot be read or replaced is passed over; false when a new content could not be
  // written, in which case that file keeps its old content.
  bool RemoveHostsEntry(const std::string& text);

 private:
  platform::Machine& machine_;
  std::vector<std::string> paths_;
  std::vector<std::vector<std::string>> lines_;  // of each file of paths_, as last read
};

}  // namespace scan
