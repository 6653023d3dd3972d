#include "platform/image/file_facts.h"

#include <fcntl.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstring>

#include "platform/file_time.h"
#include "platform/image/image_paths.h"

namespace platform {

namespace {

constexpr const char* kFactsAttribute = "user.vexmarl.dos";

// The extended attribute's layout: attributes, then an optional creation FILETIME.
struct KeptFacts {
  std::uint32_t attributes = 0;
  std::uint32_t hasCreation = 0;
  std::uint64_t creation = 0;
};

constexpr DWORD kKeptAttributeBits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                     FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY |
                                     FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_NORMAL;

bool ReadKept(const std::string& hostPath, KeptFacts& kept) {
  return lgetxattr(hostPath.c_str(), kFactsAttribute, &kept, sizeof kept) == sizeof kept;
}

int WriteKept(const std::string& hostPath, const KeptFacts& kept) {
  if (lsetxattr(hostPath.c_str(), kFactsAttribute, &kept, sizeof kept, 0) != 0) return errno;
  struct stat info;
  if (lstat(hostPath.c_str(), &info) != 0) return errno;
  if (!(info.st_mode & S_ISVTX) && chmod(hostPath.c_str(), (info.st_mode & 07777) | S_ISVTX) != 0)
    return errno;
  return 0;
}

}  // namespace

bool IsReadOnlyFile(const struct stat& info) {
  return S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0;
}

int ReadFileFacts(const MachineImage& image, const std::string& hostPath, FileFacts& facts) {
  return ReadFileFactsAt(image, AT_FDCWD, hostPath, hostPath, facts);
}

int ReadFileFactsAt(const MachineImage& image, int folderFd, const std::string& name,
                    const std::string& hostPath, FileFacts& facts) {
  struct statx info;
  if (statx(folderFd, name.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &info) !=
      0)
    return errno;
  const bool link = S_ISLNK(info.stx_mode);
  bool folder = S_ISDIR(info.stx_mode);
  if (link) {
    struct stat target;
    folder = LinkStaysInside(image, hostPath) && stat(hostPath.c_str(), &target) == 0 &&
             S_ISDIR(target.st_mode);
  }

  KeptFacts kept;
  const bool haveKept = !link && (info.stx_mode & S_ISVTX) && ReadKept(hostPath, kept);
  DWORD attributes = haveKept ? kept.attributes & kKeptAttributeBits
                              : (folder || link ? 0 : FILE_ATTRIBUTE_ARCHIVE);
  attributes &= ~FILE_ATTRIBUTE_NORMAL;
  if (S_ISREG(info.stx_mode)) {
    attributes &= ~FILE_ATTRIBUTE_READONLY;
    if ((info.stx_mode & 0222) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  }
  if (folder) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (link) attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  facts.attributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;

  facts.lastAccess = FileTimeFromUnix(info.stx_atime.tv_sec, info.stx_atime.tv_nsec);
  facts.lastWrite = FileTimeFromUnix(info.stx_mtime.tv_sec, info.stx_mtime.tv_nsec);
  if (haveKept && kept.hasCreation) {
    facts.creation = FileTimeOfNumber(kept.creation);
  } else if (info.stx_mask & STATX_BTIME) {
    facts.creation = FileTimeFromUnix(info.stx_btime.tv_sec, info.stx_btime.tv_nsec);
  } else {
    facts.creation = FileTimeFromUnix(info.stx_ctime.tv_sec, info.stx_ctime.tv_nsec);
  }
  facts.size = S_ISREG(info.stx_mode) ? info.stx_size : 0;
  return 0;
}

int WriteFileAttributes(const std::string& hostPath, DWORD attributes) {
  struct stat info;
  if (lstat(hostPath.c_str(), &info) != 0) return errno;
  if (S_ISLNK(info.st_mode)) return 0;  // a link has no attributes of its own to keep
  if (S_ISREG(info.st_mode)) {
    mode_t mode =
        (attributes & FILE_ATTRIBUTE_READONLY) ? info.st_mode & ~0222 : info.st_mode | 0200;
    if ((mode & 07777) != (info.st_mode & 07777) && chmod(hostPath.c_str(), mode & 07777) != 0)
      return errno;
    attributes &= ~FILE_ATTRIBUTE_READONLY;
  }
  KeptFacts kept;
  if (!ReadKept(hostPath, kept)) kept = KeptFacts{};
  kept.attributes = attributes & kKeptAttributeBits;
  if (kept.attributes == 0) kept.attributes = FILE_ATTRIBUTE_NORMAL;  // not the default archive
  return WriteKept(hostPath, kept);
}

int WriteCreationTime(const std::string& hostPath, const FILETIME& creation) {
  KeptFacts kept;
  if (!ReadKept(hostPath, kept)) {
    struct stat info;
    if (lstat(hostPath.c_str(), &info) != 0) return errno;
    kept.attributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_ARCHIVE;
  }
  kept.hasCreation = 1;
  kept.creation = FileTimeNumber(creation);
  return WriteKept(hostPath, kept);
}

void CopyKeptFacts(const std::string& fromHostPath, const std::string& toHostPath) {
  KeptFacts kept;
  if (ReadKept(fromHostPath, kept)) WriteKept(toHostPath, kept);
}

}  // namespace platform
