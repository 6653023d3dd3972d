// Windows path texts: making them absolute and normal as GetFullPathNameA does, and splitting
// them into a drive and components. Pure text work; nothing here looks at the disk.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/code_page.h"
#include "platform/win32_types.h"

namespace platform {

// An absolute path on a drive: "C:\a\b" is drive 'C' with components {"a", "b"}.
struct DrivePath {
  char drive = 'C';  // upper case
  std::vector<std::string> components;
  bool trailingSeparator = false;  // written with a final backslash

  std::string Text() const;  // "C:\a\b" ("C:\" for the root)
};

// Makes path absolute against the current directory (itself absolute, like "C:\x"): forward
// slashes become backslashes, repeated separators collapse, "." and ".." are resolved without
// ever rising above the drive root, and trailing dots and blanks of a component are dropped.
// "\\server\share" paths are kept as they are. Returns ERROR_SUCCESS or ERROR_INVALID_NAME.
DWORD MakeFullPath(const CodePage& codePage, std::string_view path,
                   std::string_view currentDirectory, std::string& full);

// Splits a full drive path. ERROR_BAD_NETPATH for "\\server" paths, ERROR_INVALID_NAME for
// characters a Windows name may not hold, ERROR_FILENAME_EXCED_RANGE past MAX_PATH.
DWORD SplitDrivePath(const CodePage& codePage, std::string_view full, DrivePath& path);

// The non-empty parts of a text between backslashes, stepping over double-byte characters
// whose second byte may be one.
std::vector<std::string> SplitAtBackslashes(const CodePage& codePage, std::string_view text);

// True when a single name may exist on a Windows drive.
bool IsValidFileName(const CodePage& codePage, std::string_view name);

// A text made fit to be part of a file name: each character a Windows name may not hold
// becomes '_', and it is cut, on a character's boundary, to at most maxBytes.
std::string FileNamePart(const CodePage& codePage, std::string_view text, std::size_t maxBytes);

}  // namespace platform
