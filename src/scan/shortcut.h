// Reading shell shortcuts (".lnk" files) of the machine.
#pragma once

#include <string>

#include "platform/machine.h"

namespace scan {

// The target path a shortcut points to, or empty when the path does not name a ".lnk" file
// or the shortcut cannot be read.
std::string ResolveShortcut(platform::Machine& machine, const std::string& path);

}  // namespace scan
