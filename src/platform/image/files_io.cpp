// Files: opening, reading, writing and positioning.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/image/errno_errors.h"
#include "platform/image/file_facts.h"
#include "platform/image/host_calls.h"
#include "platform/image/image_files.h"
#include "platform/image/open_file.h"
#include "platform/image/running_images.h"
#include "platform/last_error.h"

namespace platform {

namespace {

constexpr DWORD kCreationAttributeBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                         FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY;

std::shared_ptr<OpenFile> FileOf(HANDLE file) {
  return LookUpHandleAs<OpenFile>(file);
}

}  // namespace

HANDLE ImageFiles::CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, const void*,
                               DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE) {
  if (creationDisposition < CREATE_NEW || creationDisposition > TRUNCATE_EXISTING)
    return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  ResolvedPath target;
  if (DWORD error = Resolve(fileName, FinalLink::Follow, target, nullptr))
    return Fail(error, INVALID_HANDLE_VALUE);

  const DWORD rights = SharedRightsOf(desiredAccess);
  const bool truncating =
      creationDisposition == CREATE_ALWAYS || creationDisposition == TRUNCATE_EXISTING;
  if ((rights & FILE_SHARE_WRITE) || truncating ||
      (!target.exists && creationDisposition != OPEN_EXISTING)) {
    if (DWORD error = CheckWritable(target)) return Fail(error, INVALID_HANDLE_VALUE);
  }
  bool creating = !target.exists;
  if (target.exists) {
    if (S_ISDIR(target.info.st_mode)) return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    if (creationDisposition == CREATE_NEW) return Fail(ERROR_FILE_EXISTS, INVALID_HANDLE_VALUE);
    if (((rights & FILE_SHARE_WRITE) || truncating) &&
        (IsReadOnlyFile(target.info) || IsProgramOfRunningProcess(target.info)))
      return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
  } else if (creationDisposition == OPEN_EXISTING || creationDisposition == TRUNCATE_EXISTING) {
    return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
  }

  int flags = O_CLOEXEC;
  const bool reading = rights & FILE_SHARE_READ, writing = rights & FILE_SHARE_WRITE;
  flags |= reading && writing ? O_RDWR : writing ? O_WRONLY : O_RDONLY;
  if ((desiredAccess & FILE_APPEND_DATA) &&
      !(desiredAccess & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA)))
    flags |= O_APPEND;
  int fd = Host().open(target.host.c_str(), flags | (creating ? O_CREAT | O_EXCL : 0), 0666);
  if (fd < 0 && creating && errno == EEXIST && creationDisposition != CREATE_NEW) {
    creating = false;  // another process made it meanwhile
    fd = Host().open(target.host.c_str(), flags, 0);
  }
  if (fd < 0) return Fail(Win32ErrorFromErrno(errno), INVALID_HANDLE_VALUE);

  auto file = std::make_shared<OpenFile>();
  file->fd = fd;
  file->rights = rights;
  file->hostPath = target.host;
  struct stat info;
  if (fstat(fd, &info) != 0) return Fail(Win32ErrorFromErrno(errno), INVALID_HANDLE_VALUE);
  DWORD error = ERROR_SUCCESS;
  file->shareRegistration =
      shareModes_.Register(info.st_dev, info.st_ino, desiredAccess, shareMode, error);
  if (file->shareRegistration < 0) return Fail(error, INVALID_HANDLE_VALUE);

  if (!creating && truncating) {
    int result = writing ? Host().ftruncate(fd, 0) : truncate(target.host.c_str(), 0);
    if (result != 0) return Fail(Win32ErrorFromErrno(errno), INVALID_HANDLE_VALUE);
  }
  if (creating && (flagsAndAttributes & kCreationAttributeBits))
    WriteFileAttributes(target.host,
                        flagsAndAttributes & (kCreationAttributeBits | FILE_ATTRIBUTE_ARCHIVE));
  HANDLE handle = AddHandle(std::move(file));
  const bool opensOld = creationDisposition == CREATE_ALWAYS || creationDisposition == OPEN_ALWAYS;
  SetLastError(!creating && opensOld ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

BOOL ImageFiles::ReadFile(HANDLE handle, void* buffer, DWORD bytesToRead, DWORD* bytesRead, void*) {
  if (bytesRead) *bytesRead = 0;
  auto file = FileOf(handle);
  if (!file) return FALSE;
  if (!(file->rights & FILE_SHARE_READ)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (!buffer && bytesToRead) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  DWORD total = 0;
  while (total < bytesToRead) {
    ssize_t count = Host().read(file->fd, static_cast<char*>(buffer) + total, bytesToRead - total);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return Fail(Win32ErrorFromErrno(errno), FALSE);
    if (count == 0) break;
    total += static_cast<DWORD>(count);
  }
  if (bytesRead) *bytesRead = total;
  return TRUE;
}

BOOL ImageFiles::WriteFile(HANDLE handle, const void* buffer, DWORD bytesToWrite,
                           DWORD* bytesWritten, void*) {
  if (bytesWritten) *bytesWritten = 0;
  auto file = FileOf(handle);
  if (!file) return FALSE;
  if (!(file->rights & FILE_SHARE_WRITE)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (!buffer && bytesToWrite) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  DWORD total = 0;
  while (total < bytesToWrite) {
    ssize_t count =
        Host().write(file->fd, static_cast<const char*>(buffer) + total, bytesToWrite - total);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      if (bytesWritten) *bytesWritten = total;
      return Fail(Win32ErrorFromErrno(errno), FALSE);
    }
    total += static_cast<DWORD>(count);
  }
  if (bytesWritten) *bytesWritten = total;
  return TRUE;
}

BOOL ImageFiles::SetFilePointerEx(HANDLE handle, LARGE_INTEGER distance, LARGE_INTEGER* newPosition,
                                  DWORD moveMethod) {
  auto file = FileOf(handle);
  if (!file) return FALSE;
  if (moveMethod > FILE_END) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  static constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  off_t base = lseek(file->fd, 0, kWhence[moveMethod]);
  if (base < 0) return Fail(Win32ErrorFromErrno(errno), FALSE);
  if (distance.QuadPart < 0 && -distance.QuadPart > base) return Fail(ERROR_NEGATIVE_SEEK, FALSE);
  off_t position = lseek(file->fd, base + distance.QuadPart, SEEK_SET);
  if (position < 0) return Fail(Win32ErrorFromErrno(errno), FALSE);
  if (newPosition) newPosition->QuadPart = position;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

DWORD ImageFiles::SetFilePointer(HANDLE handle, LONG distance, LONG* distanceHigh,
                                 DWORD moveMethod) {
  LARGE_INTEGER move, position;
  move.QuadPart = distanceHigh
                      ? (static_cast<LONGLONG>(*distanceHigh) << 32) | static_cast<DWORD>(distance)
                      : distance;
  if (!SetFilePointerEx(handle, move, &position, moveMethod)) return INVALID_SET_FILE_POINTER;
  if (distanceHigh) {
    *distanceHigh = static_cast<LONG>(position.QuadPart >> 32);
  } else if (position.QuadPart > 0xFFFFFFFFll) {
    return Fail(ERROR_INVALID_PARAMETER, INVALID_SET_FILE_POINTER);
  }
  return static_cast<DWORD>(position.QuadPart);
}

BOOL ImageFiles::GetFileSizeEx(HANDLE handle, LARGE_INTEGER* size) {
  auto file = FileOf(handle);
  if (!file) return FALSE;
  struct stat info;
  if (fstat(file->fd, &info) != 0) return Fail(Win32ErrorFromErrno(errno), FALSE);
  if (size) size->QuadPart = info.st_size;
  return TRUE;
}

DWORD ImageFiles::GetFileSize(HANDLE handle, DWORD* sizeHigh) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(handle, &size)) return INVALID_FILE_SIZE;
  if (sizeHigh) *sizeHigh = static_cast<DWORD>(size.QuadPart >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size.QuadPart);
}

BOOL ImageFiles::SetEndOfFile(HANDLE handle) {
  auto file = FileOf(handle);
  if (!file) return FALSE;
  if (!(file->rights & FILE_SHARE_WRITE)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  off_t position = lseek(file->fd, 0, SEEK_CUR);
  if (position < 0 || Host().ftruncate(file->fd, position) != 0)
    return Fail(Win32ErrorFromErrno(errno), FALSE);
  return TRUE;
}

BOOL ImageFiles::FlushFileBuffers(HANDLE handle) {
  auto file = FileOf(handle);
  if (!file) return FALSE;
  if (Host().fsync(file->fd) != 0) return Fail(Win32ErrorFromErrno(errno), FALSE);
  return TRUE;
}

BOOL ImageFiles::GetFileTime(HANDLE handle, FILETIME* creation, FILETIME* lastAccess,
                             FILETIME* lastWrite) {
  auto file = FileOf(handle);
  if (!file) return FALSE;
  FileFacts facts;
  if (int error = ReadFileFacts(image_, file->hostPath, facts))
    return Fail(Win32ErrorFromErrno(error), FALSE);
  if (creation) *creation = facts.creation;
  if (lastAccess) *lastAccess = facts.lastAccess;
  if (lastWrite) *lastWrite = facts.lastWrite;
  return TRUE;
}

BOOL ImageFiles::SetFileTime(HANDLE handle, const FILETIME* creation, const FILETIME* lastAccess,
                             const FILETIME* lastWrite) {
  auto file = FileOf(handle);
  if (!file) return FALSE;
  struct timespec times[2];
  times[0].tv_nsec = times[1].tv_nsec = UTIME_OMIT;
  auto hostTime = [](const FILETIME& time) {
    const UnixTime unix = UnixFromFileTime(time);
    struct timespec result {};
    result.tv_sec = static_cast<time_t>(unix.seconds);
    result.tv_nsec = static_cast<long>(unix.nanoseconds);
    return result;
  };
  if (lastAccess) times[0] = hostTime(*lastAccess);
  if (lastWrite) times[1] = hostTime(*lastWrite);
  if ((lastAccess || lastWrite) && futimens(file->fd, times) != 0)
    return Fail(Win32ErrorFromErrno(errno), FALSE);
  if (creation) {
    if (int error = WriteCreationTime(file->hostPath, *creation))
      return Fail(Win32ErrorFromErrno(error), FALSE);
  }
  return TRUE;
}

}  // namespace platform
