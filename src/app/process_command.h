// The window-less "/process" command: end, suspend or resume the first running process of
// an image name, then end the program.
#pragma once

#include <string>
#include <vector>

#include "platform/processes.h"

namespace app {

// Serves "/process -k|-s|-r NAME" given as the program's argument vector (program path
// first); false when the arguments are not such a command, and the program starts normally.
bool ServeProcessCommand(const std::vector<std::string>& arguments, platform::Processes& processes);

}  // namespace app
