// Making a new machine image with the folders of a Windows XP system.
#pragma once

#include <string>

namespace vexmachine {

struct ImageOptions {
  std::string user = "User";
};

// Creates the image at root, which must not exist yet or be an empty folder. Returns an
// empty text on success, else what went wrong.
std::string CreateImage(const std::string& root, const ImageOptions& options);

}  // namespace vexmachine
