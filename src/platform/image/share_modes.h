// Windows share modes between every process of an image. Each open handle holds shared
// byte-range locks (open file description locks) in one lock file of the image: one byte for
// each right it uses (read, write, delete) and one for each right it refuses to share. A new
// open conflicts when it uses a right someone refuses, or refuses a right someone uses. The
// locks vanish with the handle or its process, so a crash leaves nothing behind.
#pragma once

#include <sys/types.h>

#include <string>

#include "platform/win32_types.h"

namespace platform {

class ShareModes {
 public:
  explicit ShareModes(std::string lockFile) : lockFile_(std::move(lockFile)) {}

  // Registers an open of the file (dev, ino). Returns a descriptor that holds the
  // registration until it is closed, or -1 with error set (ERROR_SHARING_VIOLATION on a
  // conflict).
  int Register(dev_t device, ino_t inode, DWORD access, DWORD share, DWORD& error) const;

  // ERROR_SUCCESS when an open with these rights and every share would succeed now.
  DWORD Check(dev_t device, ino_t inode, DWORD access) const;

 private:
  std::string lockFile_;
};

// The read, write and delete rights named by an access mask, as FILE_SHARE_* bits.
DWORD SharedRightsOf(DWORD access);

}  // namespace platform
