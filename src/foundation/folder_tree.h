// Removing a folder with everything in it.
#pragma once

#include <string>

#include "platform/files.h"

namespace foundation {

// Deletes the folder's files (read-only ones too) and sub-folders, then the folder. A link
// inside is removed as a link; what it points to is never entered. False when anything
// stays.
bool RemoveFolderTree(platform::Files& files, const std::string& folder);

}  // namespace foundation
