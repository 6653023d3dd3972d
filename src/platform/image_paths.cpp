#include "platform/image_paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/folder_names.h"
#include "platform/short_names.h"

namespace platform {

namespace {

// The real name in hostFolder that the Windows name stands for: an exact match first, then
// a case-insensitive one (the first in case-insensitive order when several differ only in
// case), then a short name. Only generated short names hold "~", so only such a name makes
// the folder's short names worth working out.
bool FindEntryName(const CodePage& codePage, const std::string& hostFolder, const std::string& name,
                   std::string& actual) {
  struct stat info;
  if (lstat((hostFolder + "/" + name).c_str(), &info) == 0) {
    actual = name;
    return true;
  }
  if (std::optional<std::string> real = FolderNameNoCase(codePage, hostFolder, name)) {
    actual = std::move(*real);
    return true;
  }
  if (name.find('~') == std::string::npos || !IsValidShortName(name)) return false;
  std::vector<FolderEntry> entries;
  if (ReadFolder(codePage, hostFolder, entries) != 0) return false;
  for (const FolderEntry& entry : entries) {
    if (!entry.shortName.empty() && codePage.EqualNoCase(entry.shortName, name)) {
      actual = entry.name;
      return true;
    }
  }
  return false;
}

}  // namespace

int ReadFolder(const CodePage& codePage, const std::string& hostFolder,
               std::vector<FolderEntry>& entries) {
  int folderFd = open(hostFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd < 0) return errno;
  int error = ReadFolderAt(codePage, folderFd, entries);
  close(folderFd);
  return error;
}

int ReadFolderAt(const CodePage& codePage, int folderFd, std::vector<FolderEntry>& entries,
                 bool shortNames) {
  int readFd = dup(folderFd);
  DIR* folder = readFd < 0 ? nullptr : fdopendir(readFd);
  if (!folder) {
    int error = errno;
    if (readFd >= 0) close(readFd);
    return error;
  }
  rewinddir(folder);
  // Each entry with its lower-cased name, so that sorting lower-cases every name once.
  std::vector<std::pair<std::string, FolderEntry>> keyed;
  while (dirent* entry = readdir(folder)) {
    std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    if (IsValidFileName(codePage, name))
      keyed.emplace_back(codePage.Lower(name), FolderEntry{std::string(name), {}, entry->d_type});
  }
  closedir(folder);
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : a.second.name < b.second.name;
  });
  entries.clear();
  entries.reserve(keyed.size());
  for (auto& [key, entry] : keyed) entries.push_back(std::move(entry));
  if (!shortNames) return 0;
  std::vector<std::string> names;
  names.reserve(entries.size());
  for (const FolderEntry& entry : entries) names.push_back(entry.name);
  std::vector<std::string> generated = GenerateShortNames(codePage, names);
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (generated[i] != entries[i].name) entries[i].shortName = std::move(generated[i]);
  return 0;
}

bool LinkStaysInside(const MachineImage& image, const std::string& hostPath) {
  char target[PATH_MAX];
  if (!realpath(hostPath.c_str(), target)) return false;
  std::string_view resolved(target);
  const std::string& drives = image.DrivesFolder();
  return resolved.size() > drives.size() + 1 && resolved.starts_with(drives) &&
         resolved[drives.size()] == '/';
}

DWORD ResolvePath(const MachineImage& image, const CodePage& codePage, const DrivePath& path,
                  FinalLink finalLink, ResolvedPath& resolved) {
  resolved = ResolvedPath{};
  resolved.host = image.DriveFolder(path.drive);
  resolved.longPath.drive = path.drive;
  resolved.longPath.trailingSeparator = path.trailingSeparator;
  if (stat(resolved.host.c_str(), &resolved.info) != 0 || !S_ISDIR(resolved.info.st_mode))
    return ERROR_PATH_NOT_FOUND;

  for (std::size_t i = 0; i < path.components.size(); ++i) {
    const bool last = i + 1 == path.components.size();
    std::string actual;
    if (!FindEntryName(codePage, resolved.host, path.components[i], actual)) {
      if (!last) return ERROR_PATH_NOT_FOUND;
      resolved.host += "/" + path.components[i];
      resolved.longPath.components.push_back(path.components[i]);
      return ERROR_SUCCESS;  // exists stays false
    }
    resolved.host += "/" + actual;
    resolved.longPath.components.push_back(actual);
    if (lstat(resolved.host.c_str(), &resolved.info) != 0) return ERROR_PATH_NOT_FOUND;
    if (S_ISLNK(resolved.info.st_mode) && (!last || finalLink == FinalLink::Follow)) {
      if (!LinkStaysInside(image, resolved.host)) {
        if (!last) return ERROR_PATH_NOT_FOUND;
        struct stat target;
        // A dangling link is a missing file; one that leads out of the drives is refused.
        return stat(resolved.host.c_str(), &target) != 0 && errno == ENOENT ? ERROR_FILE_NOT_FOUND
                                                                            : ERROR_ACCESS_DENIED;
      }
      if (stat(resolved.host.c_str(), &resolved.info) != 0) return ERROR_PATH_NOT_FOUND;
    }
    if (!last && !S_ISDIR(resolved.info.st_mode)) return ERROR_PATH_NOT_FOUND;
  }
  resolved.exists = true;
  return ERROR_SUCCESS;
}

}  // namespace platform
