// Files that resisted a removal are deleted at the next start: their paths are stored in the
// user settings, a run-once entry starts the program with "-b" after the restart, and that
// start deletes them and reports what happened.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/machine.h"
#include "removal/removal_engine.h"
#include "scan/process_enumerator.h"

namespace removal {

inline constexpr const char* kRunOnceKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
inline constexpr const char* kRebootArgument = "-b";

// Stores StartUpDeleteCount and StartUpDelete0, 1, ... and writes the run-once value named
// APPNAME and a random number whose data starts the interactive program with "-b".
void ScheduleRebootDeletion(platform::Machine& machine, RemovalHost& host,
                            const std::vector<std::string>& paths);

struct RebootReport {
  int removed = 0;
  int notRemoved = 0;
};

// Deletes the stored paths, ending programs that hold them, inside a "Reboot" element of
// the log; the stored count is cleared afterwards so that a later "-b" deletes nothing again.
RebootReport ProcessRebootDeletion(platform::Machine& machine, RemovalHost& host,
                                   scan::ProcessEnumerator& processes);

}  // namespace removal
