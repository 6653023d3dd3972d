// Attaching a Windows installation that is not running (a mounted disk, a copied folder
// tree): an image whose drive C is that folder as it stands and whose registry is copied from
// the system's hives, with a drive X: of its own for the program; and detaching it again.
#pragma once

#include <string>
#include <vector>

namespace vexmachine {

struct AttachOptions {
  std::string windowsRoot;     // the host folder that was the system's drive C
  std::string user;            // the profile to be the current user; empty: the one used last
  bool writable = false;       // whether removals may change the disk and its hives
  std::string programsFolder;  // where the built registry editor and DLL runner lie
};

struct AttachOutcome {
  std::string error;                  // why nothing was attached, in one line; empty on success
  std::vector<std::string> warnings;  // profiles left out
  std::string user;                   // the current user's profile name
};

// Makes the image at `image`, which must not exist, be empty, or hold only the drive X: that
// an earlier detach kept. On failure nothing is left behind and nothing under the root was
// written.
AttachOutcome AttachWindows(const std::string& image, const AttachOptions& options);

// Removes what attach made: the link to the root, the registry copy, the run-time objects and
// the record. Drive X: stays when the program or its logs and quarantine are on it (kept
// names it). Empty on success, else why nothing was removed.
std::string DetachWindows(const std::string& image, std::string& kept);

}  // namespace vexmachine
