// Files: attributes, deleting, folders, moving and copying.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <vector>

#include "platform/image/errno_errors.h"
#include "platform/image/file_facts.h"
#include "platform/image/host_calls.h"
#include "platform/image/image_files.h"
#include "platform/image/running_images.h"
#include "platform/last_error.h"

namespace platform {

namespace {

bool IsLink(const ResolvedPath& path) {
  return S_ISLNK(path.info.st_mode);
}

bool IsFolder(const ResolvedPath& path) {
  return S_ISDIR(path.info.st_mode);
}

bool SameObject(const ResolvedPath& a, const ResolvedPath& b) {
  return a.exists && b.exists && a.info.st_dev == b.info.st_dev && a.info.st_ino == b.info.st_ino;
}

}  // namespace

DWORD ImageFiles::GetFileAttributesA(LPCSTR fileName) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(fileName, GetFileExInfoStandard, &data)) return INVALID_FILE_ATTRIBUTES;
  return data.dwFileAttributes;
}

BOOL ImageFiles::GetFileAttributesExA(LPCSTR fileName, GET_FILEEX_INFO_LEVELS level,
                                      void* information) {
  if (level != GetFileExInfoStandard || !information) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  ResolvedPath target;
  if (DWORD error = Resolve(fileName, FinalLink::Keep, target, nullptr)) return Fail(error, FALSE);
  if (!target.exists) return Fail(ERROR_FILE_NOT_FOUND, FALSE);
  FileFacts facts;
  if (int error = ReadFileFacts(image_, target.host, facts))
    return Fail(Win32ErrorFromErrno(error), FALSE);
  auto* data = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(information);
  data->dwFileAttributes = facts.attributes;
  data->ftCreationTime = facts.creation;
  data->ftLastAccessTime = facts.lastAccess;
  data->ftLastWriteTime = facts.lastWrite;
  data->nFileSizeHigh = static_cast<DWORD>(facts.size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(facts.size);
  return TRUE;
}

BOOL ImageFiles::SetFileAttributesA(LPCSTR fileName, DWORD attributes) {
  ResolvedPath target;
  if (DWORD error = Resolve(fileName, FinalLink::Keep, target, nullptr)) return Fail(error, FALSE);
  if (DWORD error = CheckWritable(target)) return Fail(error, FALSE);
  if (!target.exists) return Fail(ERROR_FILE_NOT_FOUND, FALSE);
  if (int error = WriteFileAttributes(target.host, attributes))
    return Fail(error == ENOTSUP ? ERROR_INVALID_FUNCTION : Win32ErrorFromErrno(error), FALSE);
  return TRUE;
}

BOOL ImageFiles::PathFileExistsA(LPCSTR path) {
  return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES ? TRUE : FALSE;
}

DWORD ImageFiles::CheckWritable(const ResolvedPath& target) const {
  const char drive = static_cast<char>(std::toupper(target.longPath.drive));
  return protectedDrives_.find(drive) == std::string::npos ? ERROR_SUCCESS : ERROR_WRITE_PROTECT;
}

DWORD ImageFiles::CheckReplaceable(const ResolvedPath& target) const {
  if (IsLink(target)) return ERROR_SUCCESS;  // only the link goes
  if (IsReadOnlyFile(target.info) || IsProgramOfRunningProcess(target.info))
    return ERROR_ACCESS_DENIED;
  return shareModes_.Check(target.info.st_dev, target.info.st_ino, DELETE);
}

BOOL ImageFiles::DeleteFileA(LPCSTR fileName) {
  ResolvedPath target;
  if (DWORD error = Resolve(fileName, FinalLink::Keep, target, nullptr)) return Fail(error, FALSE);
  if (DWORD error = CheckWritable(target)) return Fail(error, FALSE);
  if (!target.exists) return Fail(ERROR_FILE_NOT_FOUND, FALSE);
  if (IsFolder(target)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (DWORD error = CheckReplaceable(target)) return Fail(error, FALSE);
  if (Host().unlink(target.host.c_str()) != 0) return Fail(Win32ErrorFromErrno(errno), FALSE);
  return TRUE;
}

BOOL ImageFiles::CreateDirectoryA(LPCSTR pathName, const void*) {
  ResolvedPath target;
  if (DWORD error = Resolve(pathName, FinalLink::Keep, target, nullptr)) return Fail(error, FALSE);
  if (DWORD error = CheckWritable(target)) return Fail(error, FALSE);
  if (target.exists) return Fail(ERROR_ALREADY_EXISTS, FALSE);
  if (Host().mkdir(target.host.c_str(), 0777) != 0) return Fail(Win32ErrorFromErrno(errno), FALSE);
  return TRUE;
}

BOOL ImageFiles::RemoveDirectoryA(LPCSTR pathName) {
  ResolvedPath target;
  if (DWORD error = Resolve(pathName, FinalLink::Keep, target, nullptr)) return Fail(error, FALSE);
  if (DWORD error = CheckWritable(target)) return Fail(error, FALSE);
  if (!target.exists) return Fail(ERROR_FILE_NOT_FOUND, FALSE);
  if (target.longPath.components.empty()) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (IsLink(target)) {
    // A folder link is removed as a folder; the folder it points to stays.
    struct stat pointed;
    if (stat(target.host.c_str(), &pointed) != 0 || !S_ISDIR(pointed.st_mode))
      return Fail(ERROR_DIRECTORY, FALSE);
    if (Host().unlink(target.host.c_str()) != 0) return Fail(Win32ErrorFromErrno(errno), FALSE);
    return TRUE;
  }
  if (!IsFolder(target)) return Fail(ERROR_DIRECTORY, FALSE);
  FileFacts facts;
  if (ReadFileFacts(image_, target.host, facts) == 0 &&
      (facts.attributes & FILE_ATTRIBUTE_READONLY))
    return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (Host().rmdir(target.host.c_str()) != 0) {
    return Fail(errno == EEXIST ? ERROR_DIR_NOT_EMPTY : Win32ErrorFromErrno(errno), FALSE);
  }
  return TRUE;
}

BOOL ImageFiles::MoveFileA(LPCSTR existingFileName, LPCSTR newFileName) {
  return MoveFileExA(existingFileName, newFileName, MOVEFILE_COPY_ALLOWED);
}

BOOL ImageFiles::MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) {
  if (flags & MOVEFILE_DELAY_UNTIL_REBOOT) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  ResolvedPath source, target;
  if (DWORD error = Resolve(existingFileName, FinalLink::Keep, source, nullptr))
    return Fail(error, FALSE);
  if (!source.exists) return Fail(ERROR_FILE_NOT_FOUND, FALSE);
  if (DWORD error = Resolve(newFileName, FinalLink::Keep, target, nullptr))
    return Fail(error, FALSE);
  if (source.longPath.components.empty()) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (DWORD error = CheckWritable(source)) return Fail(error, FALSE);
  if (DWORD error = CheckWritable(target)) return Fail(error, FALSE);

  std::string destination = target.host;
  if (SameObject(source, target)) {
    // A new spelling of the same name: rename to the letters as given.
    DrivePath given;
    std::string full;
    MakeFullPath(codePage_, newFileName, CurrentDirectory(), full);
    SplitDrivePath(codePage_, full, given);
    destination = destination.substr(0, destination.rfind('/') + 1) + given.components.back();
  } else if (target.exists) {
    if (!(flags & MOVEFILE_REPLACE_EXISTING)) return Fail(ERROR_ALREADY_EXISTS, FALSE);
    if (IsFolder(target) || IsFolder(source)) return Fail(ERROR_ACCESS_DENIED, FALSE);
    if (DWORD error = CheckReplaceable(target)) return Fail(error, FALSE);
  }
  if (!IsFolder(source) && !IsLink(source)) {
    if (DWORD error = shareModes_.Check(source.info.st_dev, source.info.st_ino, DELETE))
      return Fail(error, FALSE);
  }
  if (Host().rename(source.host.c_str(), destination.c_str()) == 0) return TRUE;
  if (errno != EXDEV || IsFolder(source) || !(flags & MOVEFILE_COPY_ALLOWED))
    return Fail(errno == EXDEV ? ERROR_NOT_SAME_DEVICE : Win32ErrorFromErrno(errno), FALSE);
  if (!CopyFileA(existingFileName, newFileName, FALSE)) return FALSE;
  return DeleteFileA(existingFileName);
}

BOOL ImageFiles::CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists) {
  ResolvedPath source;
  if (DWORD error = Resolve(existingFileName, FinalLink::Follow, source, nullptr))
    return Fail(error, FALSE);
  if (!source.exists) return Fail(ERROR_FILE_NOT_FOUND, FALSE);
  if (IsFolder(source)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  FileFacts facts;
  if (int error = ReadFileFacts(image_, source.host, facts))
    return Fail(Win32ErrorFromErrno(error), FALSE);

  HANDLE from = CreateFileA(existingFileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (from == INVALID_HANDLE_VALUE) return FALSE;
  HANDLE to = CreateFileA(newFileName, GENERIC_WRITE, 0, nullptr,
                          failIfExists ? CREATE_NEW : CREATE_ALWAYS, 0, nullptr);
  if (to == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    CloseHandle(from);
    return Fail(error, FALSE);
  }
  std::vector<char> block(1 << 16);
  DWORD count = 0;
  BOOL ok = TRUE;
  while (ok &&
         (ok = ReadFile(from, block.data(), static_cast<DWORD>(block.size()), &count, nullptr)) &&
         count > 0) {
    ok = WriteFile(to, block.data(), count, nullptr, nullptr);
  }
  DWORD error = ok ? ERROR_SUCCESS : GetLastError();
  if (ok) ok = SetFileTime(to, nullptr, &facts.lastAccess, &facts.lastWrite);
  CloseHandle(from);
  CloseHandle(to);
  ResolvedPath copy;
  if (Resolve(newFileName, FinalLink::Follow, copy, nullptr) != ERROR_SUCCESS || !copy.exists)
    return Fail(ok ? ERROR_GEN_FAILURE : error, FALSE);
  if (!ok) {
    unlink(copy.host.c_str());  // no half-written copy stays behind
    return Fail(error, FALSE);
  }
  CopyKeptFacts(source.host, copy.host);
  WriteFileAttributes(copy.host, facts.attributes);
  return TRUE;
}

}  // namespace platform
