// Open-file-description locks on single bytes of a lock file: held per open descriptor,
// seen by every process, and gone when the descriptor closes or its process ends.
#pragma once

#include <fcntl.h>
#include <sys/types.h>

namespace platform {

// fcntl with command F_OFD_SETLK, F_OFD_SETLKW; type F_RDLCK, F_WRLCK or F_UNLCK. 0 or -1.
int LockByte(int fd, int command, short type, off_t offset);

// True when another open description holds a lock on the byte.
bool ByteHeldElsewhere(int fd, off_t offset);

}  // namespace platform
