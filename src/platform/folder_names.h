// Finding a name in a host folder without regard to case, which takes reading the folder
// whenever the exact spelling is missing. Listings read before are kept and used again while
// the folder is the same folder with the same change times. A listing is kept only when the
// folder's last change lies well before the reading began: a change after the reading then
// always gives the folder a later time, even with the kernel's coarse file clock.
#pragma once

#include <optional>
#include <string>

#include "platform/code_page.h"

namespace platform {

// The real name in the folder that equals `name` without regard to case (the first in byte
// order when several do); empty when none does or the folder cannot be read.
std::optional<std::string> FolderNameNoCase(const CodePage& codePage, const std::string& hostFolder,
                                            const std::string& name);

}  // namespace platform
