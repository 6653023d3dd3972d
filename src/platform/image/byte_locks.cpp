#include "platform/image/byte_locks.h"

#include <cerrno>

namespace platform {

int LockByte(int fd, int command, short type, off_t offset) {
  struct flock region {};
  region.l_type = type;
  region.l_whence = SEEK_SET;
  region.l_start = offset;
  region.l_len = 1;
  int result;
  do {
    result = fcntl(fd, command, &region);
  } while (result != 0 && errno == EINTR);
  return result;
}

bool ByteHeldElsewhere(int fd, off_t offset) {
  struct flock region {};
  region.l_type = F_WRLCK;
  region.l_whence = SEEK_SET;
  region.l_start = offset;
  region.l_len = 1;
  return fcntl(fd, F_OFD_GETLK, &region) == 0 && region.l_type != F_UNLCK;
}

}  // namespace platform
