// The quarantine step of a removal: every selected file, folder and registry trace of the
// scan's listed items, and each hosts file whole when hosts entries are selected, goes into
// one new archive in the program folder's "Quarantine" before anything is removed. One step
// runs at a time on the machine, since the registry backup is made in a temporary file of
// fixed name.
#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "platform/machine.h"
#include "scan/found_item.h"

namespace removal {

inline constexpr const char* kQuarantineFolder = "Quarantine";
inline constexpr const char* kRegistryBackupFileName = "regbackup.reg";

struct QuarantineStep {
  platform::Machine& machine;
  std::string programFolder;  // with its trailing backslash
  std::function<void(const std::string&)> logLine;
  std::function<std::time_t()> now;  // the clock when empty
  // How long to wait for another quarantine step of the machine to end.
  unsigned waitForOtherStepMs = 120000;
};

// The archive of program folder + "Quarantine\Quarantine" + the step's time stamp
// ("%d-%m-%Y-%H-%M-%S"); true when it was written whole, its path in archivePath. On false
// nothing may be removed.
bool QuarantineRun(const QuarantineStep& step, const std::vector<scan::FoundItem>& listed,
                   std::string* archivePath = nullptr);

// The archive path of a row of the quarantine page (the archive's file title).
std::string ArchivePathOf(const std::string& programFolder, const std::string& title);

}  // namespace removal
