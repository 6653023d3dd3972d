// Seam of the shell's test: a shortcut made with the system shell's own link object, as a
// person's shell makes one.
#pragma once

#include <string>

namespace win32 {

// A ".lnk" file at link leading to target (IShellLinkA::SetPath, IPersistFile::Save); false
// when any step fails.
bool SaveShortcut(const std::string& link, const std::string& target);

}  // namespace win32
