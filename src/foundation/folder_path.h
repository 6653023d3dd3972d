// Creating every folder of a path.
#pragma once

#include <string>

#include "platform/files.h"

namespace foundation {

// Trailing white space and one trailing backslash are dropped; then each folder from the
// drive root (or "\\") down is created when missing. True when all of them exist afterwards;
// folders made before a failure stay.
bool EnsureFolderPath(platform::Files& files, std::string path);

}  // namespace foundation
