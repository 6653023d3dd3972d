// Finding a name in a host folder without regard to case, which takes reading the folder
// whenever the exact spelling is missing. Listings read before are kept and used again.
// A watched folder (see folder_watch.h) is watched from before its reading, and the events
// of every change since keep its listing right however often it changes. Where watching is
// not possible, a listing is kept only while the folder has the same change times, and only
// when its last change lies well before the reading began: a change after the reading then
// always gives the folder a later time, even with the kernel's coarse file clock.
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>

#include "platform/code_page.h"

namespace platform {

// What a kept listing says of a name, without reading the folder.
struct KeptName {
  enum class State {
    Unknown,  // no kept listing describes the folder as it is now
    Absent,   // no name in the folder equals it without regard to case
    Alone,    // exactly one does: `real`
    Several,  // more than one does: only the exact spelling decides
  } state = State::Unknown;
  std::string real;
};

// Brings the kept listings up to date with the changes made since the last call: a path
// lookup calls it once before it looks at its components with KeptFolderName.
void TakeFolderChanges();

// folderFacts is the folder's stat, taken before the call (during the same path lookup).
KeptName KeptFolderName(const CodePage& codePage, const std::string& hostFolder,
                        const struct stat& folderFacts, const std::string& name);

// The real name in the folder that equals `name` without regard to case (the first in byte
// order when several do); empty when none does or the folder cannot be read. Reads the folder
// unless a kept listing describes it.
std::optional<std::string> FolderNameNoCase(const CodePage& codePage, const std::string& hostFolder,
                                            const struct stat& folderFacts,
                                            const std::string& name);

// Keeps listings by their folders' change times alone, as on a file system that does not tell
// its changes (for tests of that rule); forgets every listing kept so far.
void KeepFolderNamesByTimesOnly(bool timesOnly);

}  // namespace platform
