// The kernel's word on every name made, removed or moved in a set of host folders, by any
// process (inotify): a folder's names read once stay right however often it changes, as long
// as its events are taken before each use. Only folders on local file systems are watched;
// on others a change made elsewhere need not be told.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

class FolderWatch {
 public:
  // What an event says of its folder.
  enum class Change {
    Added,    // `name` is there now (made, or moved in)
    Removed,  // `name` is gone (deleted, or moved out)
    Gone,     // the folder itself was deleted or moved: what was read of it is void
    Lost,     // events were lost: everything read of every folder is void
  };
  using Listener = std::function<void(int watch, Change change, std::string_view name)>;

  FolderWatch() = default;
  ~FolderWatch();
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  // Starts watching the folder; -1 when it cannot be watched (then its names must not be
  // kept on the strength of events). Watching one folder twice gives the same number.
  int Add(const std::string& hostFolder);
  void Remove(int watch);
  // Hands every event that arrived since the last call to the listener, in order.
  void Take(const Listener& listener);
  // Forgets everything without a system call on the kernel's side of it: for a child
  // process after fork, whose descriptor is shared with its parent.
  void Abandon();

 private:
  bool Ready();

  int fd_ = -1;
  bool tried_ = false;
};

}  // namespace platform
