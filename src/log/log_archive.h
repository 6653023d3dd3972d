// Packing log files into one ZIP archive for mailing.
#pragma once

#include <string>
#include <vector>

#include "platform/files.h"

namespace logging {

// The archive's path for the chosen files: beside the one file, or in the logs folder when
// several were chosen, named after the first with the extension "zip". An existing file of
// that name is never overwritten: " (2)", " (3)" ... is added before the extension.
std::string ArchivePathFor(platform::Files& files, const std::vector<std::string>& chosen,
                           const std::string& logsFolder);

// Writes the archive with one deflated entry a file, named by the file's name and dated by
// its last write, in the order given. False, with nothing left behind, when a file cannot be
// read or the archive cannot be written.
bool PackFiles(platform::Files& files, const std::string& archive,
               const std::vector<std::string>& paths);

}  // namespace logging
