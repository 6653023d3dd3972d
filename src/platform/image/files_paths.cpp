// Files: resolving paths, the current folder and the path forms.
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

#include "platform/image/errno_errors.h"
#include "platform/image/image_files.h"
#include "platform/image/open_file.h"
#include "platform/last_error.h"

namespace platform {

ImageFiles::ImageFiles(MachineImage image, CodePage codePage, EnvironmentReader environment)
    : image_(std::move(image)),
      codePage_(codePage),
      environment_(std::move(environment)),
      shareModes_(image_.ObjectsFolder() + "/share-modes.lock") {
  // One current directory a process and image.
  static std::mutex sharedLock;  // guards shared
  static std::map<std::string, std::weak_ptr<CurrentDirectoryState>> shared;
  std::lock_guard guard(sharedLock);
  std::weak_ptr<CurrentDirectoryState>& slot = shared[image_.Root()];
  current_ = slot.lock();
  if (current_) return;
  current_ = std::make_shared<CurrentDirectoryState>();
  char here[PATH_MAX];
  std::optional<std::string> start;
  if (getcwd(here, sizeof here)) start = WindowsPathOf(here);
  current_->path = start.value_or("C:\\");
  slot = current_;
}

std::string ImageFiles::CurrentDirectory() const {
  std::lock_guard guard(current_->lock);
  return current_->path;
}

DWORD ImageFiles::Resolve(LPCSTR path, FinalLink finalLink, ResolvedPath& resolved,
                          std::string* full) {
  if (!path) return ERROR_INVALID_PARAMETER;
  std::string fullPath;
  if (DWORD error = MakeFullPath(codePage_, path, CurrentDirectory(), fullPath)) return error;
  DrivePath drivePath;
  if (DWORD error = SplitDrivePath(codePage_, fullPath, drivePath)) return error;
  if (full) *full = fullPath;
  return ResolvePath(image_, codePage_, drivePath, finalLink, resolved);
}

DWORD ImageFiles::GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD bufferLength) {
  ResolvedPath resolved;
  if (DWORD error = Resolve(longPath, FinalLink::Follow, resolved, nullptr)) return Fail(error, 0u);
  if (!resolved.exists) return Fail(ERROR_FILE_NOT_FOUND, 0u);
  DrivePath shortForm = resolved.longPath;
  std::string folder = image_.DriveFolder(shortForm.drive);
  for (std::string& component : shortForm.components) {
    std::vector<FolderEntry> entries;
    if (int error = ReadFolder(codePage_, folder, entries))
      return Fail(Win32ErrorFromErrno(error), 0u);
    folder += "/" + component;
    for (const FolderEntry& entry : entries) {
      if (entry.name == component) {
        if (!entry.shortName.empty()) component = entry.shortName;
        break;
      }
    }
  }
  SetLastError(ERROR_SUCCESS);
  return CopyOutText(shortForm.Text(), shortPath, bufferLength);
}

DWORD ImageFiles::GetLongPathNameA(LPCSTR shortPath, LPSTR longPath, DWORD bufferLength) {
  ResolvedPath resolved;
  if (DWORD error = Resolve(shortPath, FinalLink::Follow, resolved, nullptr))
    return Fail(error, 0u);
  if (!resolved.exists) return Fail(ERROR_FILE_NOT_FOUND, 0u);
  SetLastError(ERROR_SUCCESS);
  return CopyOutText(resolved.longPath.Text(), longPath, bufferLength);
}

DWORD ImageFiles::GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer,
                                   LPSTR* filePart) {
  if (!fileName) return Fail(ERROR_INVALID_PARAMETER, 0u);
  std::string full;
  if (DWORD error = MakeFullPath(codePage_, fileName, CurrentDirectory(), full))
    return Fail(error, 0u);
  DWORD length = CopyOutText(full, buffer, bufferLength);
  if (filePart && length == full.size()) {
    std::size_t cut = full.rfind('\\');
    *filePart = cut + 1 < full.size() ? buffer + cut + 1 : nullptr;
  }
  SetLastError(ERROR_SUCCESS);
  return length;
}

DWORD ImageFiles::GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer) {
  return CopyOutText(CurrentDirectory(), buffer, bufferLength);
}

BOOL ImageFiles::SetCurrentDirectoryA(LPCSTR pathName) {
  ResolvedPath resolved;
  std::string full;
  if (DWORD error = Resolve(pathName, FinalLink::Follow, resolved, &full))
    return Fail(error, FALSE);
  if (!resolved.exists) return Fail(ERROR_FILE_NOT_FOUND, FALSE);
  if (!S_ISDIR(resolved.info.st_mode)) return Fail(ERROR_DIRECTORY, FALSE);
  if (full.size() > 3 && full.back() == '\\') full.pop_back();
  std::lock_guard guard(current_->lock);
  current_->path = full;
  return TRUE;
}

DWORD ImageFiles::GetTempPathA(DWORD bufferLength, LPSTR buffer) {
  std::optional<std::string> folder;
  for (const char* name : {"TMP", "TEMP", "USERPROFILE"}) {
    if (environment_ && (folder = environment_(name)) && !folder->empty()) break;
    folder.reset();
  }
  if (!folder && environment_) folder = environment_("SystemRoot");
  if (!folder || folder->empty()) folder = "C:\\WINDOWS";
  std::string full;
  if (MakeFullPath(codePage_, *folder, CurrentDirectory(), full) != ERROR_SUCCESS)
    full = "C:\\WINDOWS";
  if (full.back() != '\\') full += '\\';
  return CopyOutText(full, buffer, bufferLength);
}

std::optional<std::string> ImageFiles::HostPathOf(const std::string& windowsPath) {
  ResolvedPath resolved;
  if (Resolve(windowsPath.c_str(), FinalLink::Follow, resolved, nullptr) != ERROR_SUCCESS)
    return std::nullopt;
  return resolved.host;
}

std::optional<std::string> ImageFiles::WindowsPathOf(const std::string& hostPath) const {
  char real[PATH_MAX];
  if (!realpath(hostPath.c_str(), real)) return std::nullopt;
  std::string_view path(real);
  const std::string& drives = image_.DrivesFolder();
  if (!path.starts_with(drives + "/") || path.size() < drives.size() + 2) return std::nullopt;
  path.remove_prefix(drives.size() + 1);
  if (path.size() > 1 && path[1] != '/') return std::nullopt;
  std::string windows{path[0], ':'};
  for (char c : path.substr(1)) windows += c == '/' ? '\\' : c;
  if (windows.size() == 2) windows += '\\';
  return windows;
}

}  // namespace platform
