// The update list a vendor publishes for the files of a folder: the version, the file count,
// the restart flag, and one line a file (name, SHA-256 digest, size, address below the base
// address, archive flag for ".zip", run flag 0), files in name order.
#pragma once

#include <optional>
#include <string>

namespace vxdb {

struct PublishOptions {
  std::string folder, version, baseUrl;
  bool restart = false;
};

// The list's text; nothing, with the reason in error, when the version is no positive number
// or the folder cannot be read.
std::optional<std::string> UpdateListFor(const PublishOptions& options, std::string* error);

}  // namespace vxdb
