// The host's file system calls that the layer makes for the files of an image, behind one
// table of functions: tests replace an entry to make the N-th call fail as a full disk or a
// failing device would. Unless replaced, each entry is the C library's own function. The
// registry's SQLite makes its calls through the same table (RouteSqliteThroughHost).
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

namespace platform {

struct HostCalls {
  int (*open)(const char* path, int flags, mode_t mode);
  ssize_t (*read)(int fd, void* buffer, size_t size);
  ssize_t (*write)(int fd, const void* buffer, size_t size);
  ssize_t (*pread)(int fd, void* buffer, size_t size, off_t offset);
  ssize_t (*pwrite)(int fd, const void* buffer, size_t size, off_t offset);
  int (*ftruncate)(int fd, off_t length);
  int (*fsync)(int fd);
  int (*unlink)(const char* path);
  int (*mkdir)(const char* path, mode_t mode);
  int (*rmdir)(const char* path);
  int (*rename)(const char* from, const char* to);
  ssize_t (*getxattr)(const char* path, const char* name, void* value, size_t size);
};

// The table the layer calls through.
HostCalls& Host();
// The C library's functions.
const HostCalls& LibraryCalls();
// Makes SQLite's unix file system layer open, read, write, truncate and delete through the
// table (through its own hook for system calls); once a process, before the first database.
void RouteSqliteThroughHost();

}  // namespace platform
