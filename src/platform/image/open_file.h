// The kernel objects behind file and search handles.
#pragma once

#include <unistd.h>

#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/image/image_paths.h"

namespace platform {

struct OpenFile : KernelObject {
  int fd = -1;
  int shareRegistration = -1;  // holds this handle's share-mode locks
  DWORD rights = 0;            // FILE_SHARE_* bits for the rights the handle was opened with
  std::string hostPath;

  ~OpenFile() override {
    if (fd >= 0) close(fd);
    if (shareRegistration >= 0) close(shareRegistration);
  }
};

struct FileSearch : KernelObject {
  int folderFd = -1;
  std::string hostFolder;
  std::string parentHostFolder;  // for ".."
  std::vector<FolderEntry> matches;
  std::size_t next = 0;
  bool namesOnly = false;  // FIND_FIRST_EX_NAMES_ONLY

  ~FileSearch() override {
    if (folderFd >= 0) close(folderFd);
  }
};

}  // namespace platform
