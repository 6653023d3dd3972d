// Makes the machine layer's N-th host file system call fail, as a full disk or a failing device
// would, for as long as the object lives; every call is counted whether it fails or not.
#pragma once

#include <cerrno>

#include "platform/image/host_calls.h"

namespace testing_support {

// The kinds of calls that are counted and may fail.
enum CallKinds : unsigned {
  kOpens = 1,
  kReads = 2,   // read, pread
  kWrites = 4,  // write, pwrite, ftruncate, fsync
  kNames = 8,   // unlink, mkdir, rmdir, rename
  kAllCalls = 15,
};

class FaultInjection {
 public:
  // failing counts from 1 among the calls of those kinds; it fails with the error (errno).
  FaultInjection(int failing, int error, unsigned kinds = kAllCalls) {
    failing_ = failing;
    error_ = error;
    kinds_ = kinds;
    calls_ = 0;
    hit_ = false;
    platform::HostCalls& host = platform::Host();
    host.open = [](const char* path, int flags, mode_t mode) {
      return Fails(kOpens) ? -1 : platform::LibraryCalls().open(path, flags, mode);
    };
    host.read = [](int fd, void* buffer, size_t size) -> ssize_t {
      return Fails(kReads) ? -1 : platform::LibraryCalls().read(fd, buffer, size);
    };
    host.write = [](int fd, const void* buffer, size_t size) -> ssize_t {
      return Fails(kWrites) ? -1 : platform::LibraryCalls().write(fd, buffer, size);
    };
    host.pread = [](int fd, void* buffer, size_t size, off_t offset) -> ssize_t {
      return Fails(kReads) ? -1 : platform::LibraryCalls().pread(fd, buffer, size, offset);
    };
    host.pwrite = [](int fd, const void* buffer, size_t size, off_t offset) -> ssize_t {
      return Fails(kWrites) ? -1 : platform::LibraryCalls().pwrite(fd, buffer, size, offset);
    };
    host.ftruncate = [](int fd, off_t length) {
      return Fails(kWrites) ? -1 : platform::LibraryCalls().ftruncate(fd, length);
    };
    host.fsync = [](int fd) { return Fails(kWrites) ? -1 : platform::LibraryCalls().fsync(fd); };
    host.unlink = [](const char* path) {
      return Fails(kNames) ? -1 : platform::LibraryCalls().unlink(path);
    };
    host.mkdir = [](const char* path, mode_t mode) {
      return Fails(kNames) ? -1 : platform::LibraryCalls().mkdir(path, mode);
    };
    host.rmdir = [](const char* path) {
      return Fails(kNames) ? -1 : platform::LibraryCalls().rmdir(path);
    };
    host.rename = [](const char* from, const char* to) {
      return Fails(kNames) ? -1 : platform::LibraryCalls().rename(from, to);
    };
  }
  ~FaultInjection() { platform::Host() = platform::LibraryCalls(); }
  FaultInjection(const FaultInjection&) = delete;
  FaultInjection& operator=(const FaultInjection&) = delete;

  // Whether the failing call came: when not, the operation ran clean.
  bool Hit() const { return hit_; }
  int Calls() const { return calls_; }

 private:
  static bool Fails(unsigned kind) {
    if (!(kinds_ & kind) || ++calls_ != failing_) return false;
    hit_ = true;
    errno = error_;
    return true;
  }

  static inline int failing_ = 0, error_ = 0, calls_ = 0;
  static inline unsigned kinds_ = kAllCalls;
  static inline bool hit_ = false;
};

// Runs the operation with its 1st, 2nd, ... host call failing in turn until it runs clean;
// prepare sets the starting state before each run (without faults), check gets the number of
// the failing call and whether it came. The number of faults tried.
template <typename Prepare, typename Operation, typename Check>
int WithEachCallFailing(int error, Prepare prepare, Operation operation, Check check,
                        unsigned kinds = kAllCalls) {
  for (int failing = 1;; ++failing) {
    prepare();
    bool hit;
    {
      FaultInjection faults(failing, error, kinds);
      operation();
      hit = faults.Hit();
    }
    check(failing, hit);
    if (!hit) return failing - 1;
  }
}

}  // namespace testing_support
