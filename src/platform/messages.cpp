#include "platform/messages.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/handles.h"
#include "platform/last_error.h"

namespace platform {

namespace {

// Each handle holds a shared lock on byte 0 of the mutex's lock file; the guard byte 1
// makes the test and the registration one step.
struct MutexObject : KernelObject {
  int fd = -1;
  ~MutexObject() override {
    if (fd >= 0) close(fd);
  }
};

int Lock(int fd, int command, short type, off_t offset) {
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

bool HeldElsewhere(int fd) {
  struct flock region {};
  region.l_type = F_WRLCK;
  region.l_whence = SEEK_SET;
  region.l_start = 0;
  region.l_len = 1;
  return fcntl(fd, F_OFD_GETLK, &region) == 0 && region.l_type != F_UNLCK;
}

// Mutex names are case-sensitive and may hold any character: the file name spells them in
// hexadecimal.
std::string FileName(const std::string& name) {
  std::string file = "mutex-";
  char hex[3];
  for (unsigned char c : name) {
    std::snprintf(hex, sizeof hex, "%02x", c);
    file += hex;
  }
  return file + ".lock";
}

}  // namespace

HANDLE Messages::CreateMutexA(const void*, BOOL, LPCSTR name) {
  auto mutex = std::make_shared<MutexObject>();
  if (!name || !*name) {
    SetLastError(ERROR_SUCCESS);
    return AddHandle(std::move(mutex));  // an unnamed mutex is private to its handle
  }
  mkdir(image_.ObjectsFolder().c_str(), 0777);
  const std::string path = image_.ObjectsFolder() + "/" + FileName(name);
  mutex->fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (mutex->fd < 0) return Fail(Win32ErrorFromErrno(errno), static_cast<HANDLE>(nullptr));
  if (Lock(mutex->fd, F_OFD_SETLKW, F_WRLCK, 1) != 0)
    return Fail(Win32ErrorFromErrno(errno), static_cast<HANDLE>(nullptr));
  const bool existed = HeldElsewhere(mutex->fd);
  const bool registered = Lock(mutex->fd, F_OFD_SETLK, F_RDLCK, 0) == 0;
  Lock(mutex->fd, F_OFD_SETLK, F_UNLCK, 1);
  if (!registered) return Fail(Win32ErrorFromErrno(errno), static_cast<HANDLE>(nullptr));
  HANDLE handle = AddHandle(std::move(mutex));
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

BOOL Messages::ReleaseMutex(HANDLE mutex) {
  return LookUpHandleAs<MutexObject>(mutex) ? TRUE : FALSE;
}

}  // namespace platform
