// Making a new machine image: the folders and registry of a chosen Windows system, and the
// system programs every image has.
#pragma once

#include <string>

namespace vexmachine {

struct ImageOptions {
  std::string os = "xp";
  std::string user = "User";
  unsigned codePage = 1252;
  std::string programsFolder;  // where the regedit and rundll32 programs to install lie
};

// Creates the image at root, which must not exist yet or be an empty folder. Returns an
// empty text on success, else what went wrong.
std::string CreateImage(const std::string& root, const ImageOptions& options);

}  // namespace vexmachine
