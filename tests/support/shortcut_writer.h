// Writes shell shortcut (".lnk") files for tests: a header and a link-info block with the
// target's local path, the smallest form a shortcut reader resolves.
#pragma once

#include <string>

namespace testing_support {

std::string ShortcutBytes(const std::string& targetPath);

}  // namespace testing_support
