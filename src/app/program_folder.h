// Where the running program lies, and its version.
#pragma once

#include <string>

#include "platform/processes.h"

namespace app {

inline constexpr const char* ProgramVersion = "4.23";

// The folder of the running program with its trailing backslash; empty when the program's
// path cannot be had or holds no backslash.
std::string ProgramFolder(platform::Processes& processes);
// The full Windows path of the running program; empty when it cannot be had.
std::string ProgramPath(platform::Processes& processes);
// The folder again, as drive and directory of the path split by the run-time library's rules.
std::string ProgramFolderFromParts(platform::Processes& processes);

// The drive ("C:") and the directory with its trailing backslash of a path.
struct PathParts {
  std::string drive, directory, name, extension;
};
PathParts SplitPath(const std::string& path);

}  // namespace app
