#include "foundation/folder_path.h"

namespace foundation {

bool EnsureFolderPath(platform::Files& files, std::string path) {
  using namespace platform;
  while (!path.empty() &&
         (path.back() == ' ' || path.back() == '\t' || path.back() == '\r' || path.back() == '\n'))
    path.pop_back();
  if (!path.empty() && path.back() == '\\') path.pop_back();

  std::size_t start = 0;
  if (std::size_t drive = path.find(":\\"); drive != std::string::npos) {
    start = drive + 2;
  } else if (std::size_t share = path.find("\\\\"); share != std::string::npos) {
    start = share + 2;
  }
  const CodePage& codePage = files.Code();
  std::string built = path.substr(0, start);
  std::size_t position = start;
  while (position < path.size()) {
    // The component runs to the next backslash after its first character.
    std::size_t end = position + codePage.CharLength(path, position);
    while (end < path.size() && path[end] != '\\') end += codePage.CharLength(path, end);
    built += path.substr(position, end - position);
    position = end;
    if (files.GetFileAttributesA(built.c_str()) == INVALID_FILE_ATTRIBUTES &&
        !files.CreateDirectoryA(built.c_str(), nullptr))
      return false;
  }
  return true;
}

}  // namespace foundation
