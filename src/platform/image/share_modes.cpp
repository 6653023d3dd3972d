#include "platform/image/share_modes.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/image/byte_locks.h"
#include "platform/image/errno_errors.h"
#include "platform/last_error.h"

namespace platform {

namespace {

constexpr int kGuardSlot = 0;
constexpr int kUsesSlot = 1;     // + 0, 1, 2 for read, write, delete
constexpr int kRefusesSlot = 4;  // + 0, 1, 2 for read, write, delete
constexpr DWORD kRights[3] = {FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_DELETE};

off_t BaseOffset(dev_t device, ino_t inode) {
  std::uint64_t key = static_cast<std::uint64_t>(device) * 0x9E3779B97F4A7C15ull ^
                      static_cast<std::uint64_t>(inode);
  key ^= key >> 31;
  key *= 0xBF58476D1CE4E5B9ull;
  key ^= key >> 29;
  return static_cast<off_t>((key & ((std::uint64_t{1} << 56) - 1)) * 8);
}

}  // namespace

DWORD SharedRightsOf(DWORD access) {
  DWORD rights = 0;
  if (access & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA | GENERIC_EXECUTE))
    rights |= FILE_SHARE_READ;
  if (access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA))
    rights |= FILE_SHARE_WRITE;
  if (access & (DELETE | GENERIC_ALL)) rights |= FILE_SHARE_DELETE;
  return rights;
}

int ShareModes::Register(dev_t device, ino_t inode, DWORD access, DWORD share, DWORD& error) const {
  int fd = open(lockFile_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = Win32ErrorFromErrno(errno);
    return -1;
  }
  const off_t base = BaseOffset(device, inode);
  // The guard makes the test and the registration one step for all processes.
  if (LockByte(fd, F_OFD_SETLKW, F_WRLCK, base + kGuardSlot) != 0) {
    error = Win32ErrorFromErrno(errno);
    close(fd);
    return -1;
  }
  const DWORD uses = SharedRightsOf(access);
  bool conflict = false;
  for (int i = 0; i < 3 && !conflict; ++i) {
    if ((uses & kRights[i]) && ByteHeldElsewhere(fd, base + kRefusesSlot + i)) conflict = true;
    if (!(share & kRights[i]) && ByteHeldElsewhere(fd, base + kUsesSlot + i)) conflict = true;
  }
  if (!conflict) {
    for (int i = 0; i < 3; ++i) {
      if (uses & kRights[i]) LockByte(fd, F_OFD_SETLK, F_RDLCK, base + kUsesSlot + i);
      if (!(share & kRights[i])) LockByte(fd, F_OFD_SETLK, F_RDLCK, base + kRefusesSlot + i);
    }
  }
  LockByte(fd, F_OFD_SETLK, F_UNLCK, base + kGuardSlot);
  if (conflict) {
    close(fd);
    error = ERROR_SHARING_VIOLATION;
    return -1;
  }
  error = ERROR_SUCCESS;
  return fd;
}

DWORD ShareModes::Check(dev_t device, ino_t inode, DWORD access) const {
  DWORD error;
  int fd = Register(device, inode, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    error);
  if (fd >= 0) close(fd);
  return error;
}

}  // namespace platform
