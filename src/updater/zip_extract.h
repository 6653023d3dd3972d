// Unpacking a ZIP archive of an update into a folder of the machine.
#pragma once

#include <string>

#include "platform/files.h"

namespace updater {

enum class ZipResult {
  NotAnArchive,  // the archive does not open: nothing was written
  Extracted,     // every entry was written
  Stopped,       // an entry could not be written, or would lie outside the root: the rest
                 // was skipped
};

// Extracts every entry of the archive (a Windows path) below root, which is created with its
// missing parents. Forward slashes in stored names become backslashes; an entry with the
// directory attribute is a folder; a file gets the entry's date and time as its creation and
// last-write times. A file is written beside its place and then renamed over it, so an entry
// that fails leaves the file it would have replaced as it was. A name that is absolute, holds a
// drive or a ".." component stops the extraction.
ZipResult ExtractZip(platform::Files& files, const std::string& archive, const std::string& root);

// Whether a stored name (with backslashes) stays below the root it is extracted to.
bool StaysBelowRoot(const std::string& name);

}  // namespace updater
