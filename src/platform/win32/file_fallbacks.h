// What the files backend answers where an older system lacks a call, made of calls that every
// Windows system has: GetLongPathNameA (Windows 95 and NT 4 lack it) by finding each part's
// long name, and GetFileAttributesExA (Windows 95 lacks it) from the attributes and the
// folder's record of the name.
#pragma once

#include "platform/code_page.h"
#include "platform/win32_types.h"

namespace platform {

// GetLongPathNameA's answer: the path with each part in its long form, "." and ".." and the
// separators as written; the Win32 length rules (files.h). 0 with the search's error when a
// part is not there, ERROR_INVALID_NAME for wildcards.
DWORD LongPathByFinding(const CodePage& codePage, LPCSTR shortPath, LPSTR longPath,
                        DWORD bufferLength);

// GetFileAttributesExA's standard record. A root, which is in no folder's list, has its
// attributes and zero times and size.
BOOL AttributesByFinding(const CodePage& codePage, LPCSTR fileName,
                         WIN32_FILE_ATTRIBUTE_DATA& data);

}  // namespace platform
