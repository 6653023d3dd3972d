#include "platform/image/host_calls.h"

#include <sys/xattr.h>

#include <fcntl.h>
#include <sqlite3.h>
#include <stdio.h>
#include <unistd.h>

#include <mutex>

namespace platform {

const HostCalls& LibraryCalls() {
  static const HostCalls calls = {
      [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
      ::read,
      ::write,
      ::pread,
      ::pwrite,
      ::ftruncate,
      ::fsync,
      ::unlink,
      ::mkdir,
      ::rmdir,
      ::rename,
      ::getxattr,
  };
  return calls;
}

HostCalls& Host() {
  static HostCalls calls = LibraryCalls();
  return calls;
}

namespace {

// SQLite's system calls, as its unix layer declares them, each through the table.
int SqliteOpen(const char* path, int flags, int mode) {
  return Host().open(path, flags, static_cast<mode_t>(mode));
}
ssize_t SqliteRead(int fd, void* buffer, size_t size) {
  return Host().read(fd, buffer, size);
}
ssize_t SqliteWrite(int fd, const void* buffer, size_t size) {
  return Host().write(fd, buffer, size);
}
ssize_t SqlitePread(int fd, void* buffer, size_t size, off_t offset) {
  return Host().pread(fd, buffer, size, offset);
}
ssize_t SqlitePwrite(int fd, const void* buffer, size_t size, off_t offset) {
  return Host().pwrite(fd, buffer, size, offset);
}
int SqliteFtruncate(int fd, off_t length) {
  return Host().ftruncate(fd, length);
}
int SqliteUnlink(const char* path) {
  return Host().unlink(path);
}
int SqliteMkdir(const char* path, mode_t mode) {
  return Host().mkdir(path, mode);
}
int SqliteRmdir(const char* path) {
  return Host().rmdir(path);
}

}  // namespace

void RouteSqliteThroughHost() {
  static std::once_flag once;
  std::call_once(once, [] {
    sqlite3_vfs* unix = sqlite3_vfs_find("unix");
    if (!unix || !unix->xSetSystemCall) return;
    const std::pair<const char*, sqlite3_syscall_ptr> calls[] = {
        {"open", reinterpret_cast<sqlite3_syscall_ptr>(&SqliteOpen)},
        {"read", reinterpret_cast<sqlite3_syscall_ptr>(&SqliteRead)},
        {"write", reinterpret_cast<sqlite3_syscall_ptr>(&SqliteWrite)},
        {"pread", reinterpret_cast<sqlite3_syscall_ptr>(&SqlitePread)},
        {"pread64", reinterpret_cast<sqlite3_syscall_ptr>(&SqlitePread)},
        {"pwrite", reinterpret_cast<sqlite3_syscall_ptr>(&SqlitePwrite)},
        {"pwrite64", reinterpret_cast<sqlite3_syscall_ptr>(&SqlitePwrite)},
        {"ftruncate", reinterpret_cast<sqlite3_syscall_ptr>(&SqliteFtruncate)},
        {"unlink", reinterpret_cast<sqlite3_syscall_ptr>(&SqliteUnlink)},
        {"mkdir", reinterpret_cast<sqlite3_syscall_ptr>(&SqliteMkdir)},
        {"rmdir", reinterpret_cast<sqlite3_syscall_ptr>(&SqliteRmdir)},
    };
    // A name this build of SQLite does not use is refused, and that is all.
    for (const auto& [name, call] : calls) unix->xSetSystemCall(unix, name, call);
  });
}

}  // namespace platform
