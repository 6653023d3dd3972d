// Whether a file is the program of a running process: Windows keeps such a file from being
// deleted or written, and the image does the same.
#pragma once

#include <sys/stat.h>

namespace platform {

bool IsProgramOfRunningProcess(const struct stat& file);

}  // namespace platform
