#include "platform/image/folder_watch.h"

#include <sys/inotify.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {

namespace {

// File systems whose every change, made through any path, reaches the watch.
bool TellsEveryChange(const std::string& hostFolder) {
  struct statfs facts;
  if (statfs(hostFolder.c_str(), &facts) != 0) return false;
  switch (static_cast<unsigned long>(facts.f_type)) {
    case 0xEF53:      // ext2, ext3, ext4
    case 0x58465342:  // xfs
    case 0x9123683E:  // btrfs
    case 0x01021994:  // tmpfs
      return true;
    default:
      return false;
  }
}

constexpr std::uint32_t kWatched = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                   IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

}  // namespace

FolderWatch::~FolderWatch() {
  if (fd_ >= 0) close(fd_);
}

bool FolderWatch::Ready() {
  if (!tried_) {
    tried_ = true;
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  }
  return fd_ >= 0;
}

int FolderWatch::Add(const std::string& hostFolder) {
  if (!Ready() || !TellsEveryChange(hostFolder)) return -1;
  return inotify_add_watch(fd_, hostFolder.c_str(), kWatched);  // -1 past the user's limit
}

void FolderWatch::Remove(int watch) {
  if (fd_ >= 0 && watch >= 0) inotify_rm_watch(fd_, watch);
}

void FolderWatch::Take(const Listener& listener) {
  if (fd_ < 0) return;
  alignas(inotify_event) char buffer[16 * 1024];
  for (;;) {
    const ssize_t got = read(fd_, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;  // EAGAIN: nothing more has arrived
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      const std::string_view name = event->len ? std::string_view(event->name) : std::string_view();
      if (event->mask & IN_Q_OVERFLOW)
        listener(-1, Change::Lost, {});
      else if (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT))
        listener(event->wd, Change::Gone, {});
      else if (event->mask & (IN_CREATE | IN_MOVED_TO))
        listener(event->wd, Change::Added, name);
      else if (event->mask & (IN_DELETE | IN_MOVED_FROM))
        listener(event->wd, Change::Removed, name);
    }
  }
}

void FolderWatch::Abandon() {
  if (fd_ >= 0) close(fd_);  // the parent's watches stay: they belong to its descriptor too
  fd_ = -1;
  tried_ = false;
}

}  // namespace platform
