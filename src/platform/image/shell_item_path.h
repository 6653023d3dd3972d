// The file system path that a shell item identifier list (ITEMIDLIST, as a shortcut's
// LinkTargetIDList holds it) names: My Computer, a drive, then file and folder items. The
// layout of the items is the shell's own, undocumented by Microsoft; this follows the public
// descriptions of it (libfwsi's "Windows Shell Item format"), reading every size and offset
// within the bytes. Lists that lead anywhere but a drive's files (the Control Panel, a zip
// folder, a known folder) name no path here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace platform {

// "C:\WINDOWS\system32\cmd.exe" for the list My Computer, "C:\", "WINDOWS", "system32",
// "cmd.exe" (the first item may be left out). A name is an item's long name where its
// extension block gives one, converted from UTF-16 to the code page ("?" for each character
// it lacks), and else the item's own name as stored.
std::optional<std::string> ItemIdListPath(const CodePage& codePage, std::string_view list);

}  // namespace platform
