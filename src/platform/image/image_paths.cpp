#include "platform/image/image_paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>

#include "platform/image/folder_names.h"
#include "platform/image/host_calls.h"
#include "platform/image/short_names.h"

namespace platform {

namespace {

constexpr const char* kDosNameAttribute = "system.ntfs_dos_name";

// The real name in hostFolder that the Windows name stands for: an exact match first, then
// a case-insensitive one (the first in case-insensitive order when several differ only in
// case), then a short name. Only generated short names hold "~", so only such a name makes
// the folder's short names worth working out. folderFacts is the folder's own stat.
// When the exact spelling was looked at and exists, `exact` holds its lstat, which saves the
// caller a second one.
bool FindEntryName(const CodePage& codePage, const std::string& hostFolder,
                   const struct stat& folderFacts, const std::string& name, std::string& actual,
                   struct stat& exact, bool& exactFound) {
  exactFound = false;
  // A kept listing of the folder answers without a look at the disk, unless only the exact
  // spelling can tell between names that differ in case alone.
  KeptName kept = KeptFolderName(codePage, hostFolder, folderFacts, name);
  if (kept.state == KeptName::State::Alone) {
    actual = std::move(kept.real);
    return true;
  }
  if (kept.state != KeptName::State::Absent) {
    exactFound = lstat((hostFolder + "/" + name).c_str(), &exact) == 0;
    if (exactFound) {
      actual = name;
      return true;
    }
    if (std::optional<std::string> real =
            FolderNameNoCase(codePage, hostFolder, folderFacts, name)) {
      actual = std::move(*real);
      return true;
    }
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

// The 8.3 names that the volume itself keeps for the names of a folder, by position (empty
// where it keeps none): an NTFS volume read through ntfs-3g shows the system's own in an
// extended attribute. A file system without that attribute answers once for the folder.
std::vector<std::string> VolumeShortNames(int folderFd, const std::vector<std::string>& names) {
  std::vector<std::string> kept;
  const std::string folder = "/proc/self/fd/" + std::to_string(folderFd) + "/";
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (IsValidShortName(names[i])) continue;
    char value[64];
    const ssize_t size =
        Host().getxattr((folder + names[i]).c_str(), kDosNameAttribute, value, sizeof value);
    if (size < 0 && (errno == ENOTSUP || errno == EOPNOTSUPP)) return {};
    if (size <= 0) continue;
    std::string name(value, static_cast<std::size_t>(size));
    if (!IsValidShortName(name)) continue;
    kept.resize(names.size());
    kept[i] = std::move(name);
  }
  return kept;
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
  // The folder's entries straight from the kernel: a walk reads every folder once, and a
  // directory stream would cost another descriptor, its buffer and their system calls.
  if (lseek(folderFd, 0, SEEK_SET) < 0) return errno;
  alignas(dirent64) char buffer[32 * 1024];  // as much as a directory stream reads at once
  // Every lower-cased name in one text, so that sorting lower-cases each name once and
  // allocates nothing for it.
  std::string lowerNames;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> lowerSpans;  // in lowerNames
  std::vector<FolderEntry> read;
  for (;;) {
    const ssize_t got = getdents64(folderFd, buffer, sizeof buffer);
    if (got < 0) return errno;
    if (got == 0) break;
    for (ssize_t at = 0; at < got;) {
      const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
      at += entry->d_reclen;
      std::string_view name(entry->d_name);
      if (name == "." || name == ".." || !IsValidFileName(codePage, name)) continue;
      lowerSpans.emplace_back(lowerNames.size(), name.size());
      codePage.AppendLower(name, lowerNames);
      read.push_back(FolderEntry{std::string(name), {}, entry->d_type});
    }
  }
  auto lowerOf = [&](std::uint32_t i) {
    return std::string_view(lowerNames).substr(lowerSpans[i].first, lowerSpans[i].second);
  };
  std::vector<std::uint32_t> order(read.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    const int compared = lowerOf(a).compare(lowerOf(b));
    return compared != 0 ? compared < 0 : read[a].name < read[b].name;
  });
  entries.clear();
  entries.reserve(read.size());
  for (std::uint32_t i : order) entries.push_back(std::move(read[i]));
  if (!shortNames) return 0;
  std::vector<std::string> names;
  names.reserve(entries.size());
  for (const FolderEntry& entry : entries) names.push_back(entry.name);
  std::vector<std::string> generated =
      GenerateShortNames(codePage, names, VolumeShortNames(folderFd, names));
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
  // Once for the whole path: a change made after this look is one made after the lookup.
  TakeFolderChanges();

  for (std::size_t i = 0; i < path.components.size(); ++i) {
    const bool last = i + 1 == path.components.size();
    std::string actual;
    struct stat exact;
    bool exactFound = false;
    if (!FindEntryName(codePage, resolved.host, resolved.info, path.components[i], actual, exact,
                       exactFound)) {
      if (!last) return ERROR_PATH_NOT_FOUND;
      resolved.host += "/" + path.components[i];
      resolved.longPath.components.push_back(path.components[i]);
      return ERROR_SUCCESS;  // exists stays false
    }
    resolved.host += "/" + actual;
    resolved.longPath.components.push_back(actual);
    if (exactFound)
      resolved.info = exact;
    else if (lstat(resolved.host.c_str(), &resolved.info) != 0)
      return ERROR_PATH_NOT_FOUND;
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
