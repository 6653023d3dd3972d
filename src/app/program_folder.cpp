#include "app/program_folder.h"

namespace app {

std::string ProgramPath(platform::Processes& processes) {
  char path[platform::MAX_PATH + 1] = {};
  const platform::DWORD length =
      processes.GetModuleFileNameA(nullptr, path, static_cast<platform::DWORD>(platform::MAX_PATH));
  return length == 0 ? std::string() : std::string(path);
}

std::string ProgramFolder(platform::Processes& processes) {
  const std::string path = ProgramPath(processes);
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ProgramFolderFromParts(platform::Processes& processes) {
  const PathParts parts = SplitPath(ProgramPath(processes));
  return parts.drive + parts.directory;
}

PathParts SplitPath(const std::string& path) {
  PathParts parts;
  std::string rest = path;
  if (rest.size() >= 2 && rest[1] == ':') {
    parts.drive = rest.substr(0, 2);
    rest.erase(0, 2);
  }
  const std::size_t slash = rest.find_last_of("\\/");
  if (slash != std::string::npos) {
    parts.directory = rest.substr(0, slash + 1);
    rest.erase(0, slash + 1);
  }
  const std::size_t dot = rest.rfind('.');
  parts.name = dot == std::string::npos ? rest : rest.substr(0, dot);
  parts.extension = dot == std::string::npos ? std::string() : rest.substr(dot);
  return parts;
}

}  // namespace app
