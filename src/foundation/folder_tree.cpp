#include "foundation/folder_tree.h"

#include <vector>

namespace foundation {

using namespace platform;

bool RemoveFolderTree(Files& files, const std::string& folder) {
  // Folders still to empty, deepest last; they are removed in reverse order afterwards.
  std::vector<std::string> folders{folder};
  bool complete = true;
  for (std::size_t i = 0; i < folders.size(); ++i) {
    WIN32_FIND_DATAA data;
    HANDLE find = files.FindFirstFileA((folders[i] + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) continue;
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = folders[i] + "\\" + name;
      const DWORD attributes = data.dwFileAttributes;
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        folders.push_back(path);
        continue;
      }
      if (attributes & FILE_ATTRIBUTE_READONLY)
        files.SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      bool removed = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? files.RemoveDirectoryA(path.c_str())
                                                             : files.DeleteFileA(path.c_str());
      complete = complete && removed;
    } while (files.FindNextFileA(find, &data));
    files.FindClose(find);
  }
  for (auto path = folders.rbegin(); path != folders.rend(); ++path) {
    files.SetFileAttributesA(path->c_str(), FILE_ATTRIBUTE_NORMAL);
    complete = files.RemoveDirectoryA(path->c_str()) && complete;
  }
  return complete;
}

}  // namespace foundation
