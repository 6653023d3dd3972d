// Listing a folder of an image through the platform layer, as "dir" would.
#pragma once

#include <cstdio>
#include <string>

#include "platform/files.h"

namespace vexmachine {

struct ListingTotals {
  unsigned long long files = 0;
  unsigned long long folders = 0;
};

// Writes the full Windows path of every entry under folder, one a line; with recursive,
// descends into sub-folders but never through reparse points. False when the folder cannot
// be listed. namesOnly reads the names and folder bits alone (FIND_FIRST_EX_NAMES_ONLY).
bool ListFolder(platform::Files& files, const std::string& folder, bool recursive, std::FILE* out,
                ListingTotals& totals, bool namesOnly = false);

}  // namespace vexmachine
