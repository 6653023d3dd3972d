// What Windows tells about a file: its attributes, three FILETIMEs and 64-bit size. Read-only
// is the absence of write bits on a file; hidden, system, archive and a set creation time are
// kept in an extended attribute, since the host has no place for them. The sticky bit, which
// means nothing on files and nothing to the image's own user on folders, marks the objects
// that have one, so that plain files cost no extra look-up.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <ctime>
#include <string>

#include "platform/file_time.h"
#include "platform/image/machine_image.h"
#include "platform/win32_types.h"

namespace platform {

struct FileFacts {
  DWORD attributes = 0;
  FILETIME creation;
  FILETIME lastAccess;
  FILETIME lastWrite;
  std::uint64_t size = 0;
};

// Facts of the object at hostPath itself (a link is reported as a reparse point). Returns 0
// or an errno value.
int ReadFileFacts(const MachineImage& image, const std::string& hostPath, FileFacts& facts);
// The same for the entry name of the folder open as folderFd, whose host path is hostPath;
// this spares the host from walking the whole path for every entry of a folder.
int ReadFileFactsAt(const MachineImage& image, int folderFd, const std::string& name,
                    const std::string& hostPath, FileFacts& facts);

// Stores the attributes: the read-only bit of a file as its write bits, the rest (and the
// read-only bit of a folder) in the extended attribute. Returns 0 or an errno value.
int WriteFileAttributes(const std::string& hostPath, DWORD attributes);

// Keeps a creation time for the file, which the host cannot set. Returns 0 or an errno value.
int WriteCreationTime(const std::string& hostPath, const FILETIME& creation);

// Copies the kept attributes and creation time from one file to another.
void CopyKeptFacts(const std::string& fromHostPath, const std::string& toHostPath);

bool IsReadOnlyFile(const struct stat& info);

}  // namespace platform
