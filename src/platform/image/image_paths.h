// Finding a Windows path's object on the host: each component is matched against the real
// names of its folder without regard to case, or against their 8.3 short names, and a
// symbolic link is only passed through when it leads to a place inside the image's drives.
#pragma once

#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/image/machine_image.h"
#include "platform/windows_path.h"

namespace platform {

struct FolderEntry {
  std::string name;
  std::string shortName;   // the 8.3 name; empty when the long name is already one
  unsigned char type = 0;  // the kind the folder tells (DT_DIR, DT_REG, ...; DT_UNKNOWN 0)
};

// The names of a host folder that Windows could hold, in case-insensitive order, with their
// short names (left empty when shortNames is off). Returns 0 or the errno of the failure.
int ReadFolder(const CodePage& codePage, const std::string& hostFolder,
               std::vector<FolderEntry>& entries);
// The same for a folder open as folderFd, which stays open.
int ReadFolderAt(const CodePage& codePage, int folderFd, std::vector<FolderEntry>& entries,
                 bool shortNames = true);

// Whether a symbolic link at the end of the path is passed through or is the object itself.
enum class FinalLink { Follow, Keep };

struct ResolvedPath {
  std::string host;    // where the object is, or would be created
  DrivePath longPath;  // the path with every existing component's real name
  bool exists = false;
  struct stat info {};  // of the object (of the link itself with FinalLink::Keep)
};

// ERROR_SUCCESS when every folder on the way exists (the last component may be missing:
// exists tells), ERROR_PATH_NOT_FOUND when a folder is missing or a link leads out of the
// drives, ERROR_ACCESS_DENIED when the final link leads out and is to be followed.
DWORD ResolvePath(const MachineImage& image, const CodePage& codePage, const DrivePath& path,
                  FinalLink finalLink, ResolvedPath& resolved);

// True when the link at hostPath leads to an existing place inside the drives folder.
bool LinkStaysInside(const MachineImage& image, const std::string& hostPath);

}  // namespace platform
