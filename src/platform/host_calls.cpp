#include "platform/host_calls.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

namespace platform {

const HostCalls& LibraryCalls() {
  static const HostCalls calls = {
      [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
      ::read,
      ::write,
      ::ftruncate,
      ::fsync,
      ::unlink,
      ::mkdir,
      ::rmdir,
      ::rename,
  };
  return calls;
}

HostCalls& Host() {
  static HostCalls calls = LibraryCalls();
  return calls;
}

}  // namespace platform
