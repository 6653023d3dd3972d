#include "platform/shell.h"

namespace platform {

std::string QuoteArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> arguments;
  std::size_t i = 0;
  const std::size_t n = commandLine.size();
  while (true) {
    while (i < n && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
    if (i >= n) break;
    std::string argument;
    bool quoted = false;
    while (i < n && (quoted || (commandLine[i] != ' ' && commandLine[i] != '\t'))) {
      std::size_t backslashes = 0;
      while (i < n && commandLine[i] == '\\') {
        ++backslashes;
        ++i;
      }
      if (i < n && commandLine[i] == '"') {
        argument.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          argument += '"';
          ++i;
        } else if (quoted && i + 1 < n && commandLine[i + 1] == '"') {
          argument += '"';  // "" inside quotes is one quote
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        argument.append(backslashes, '\\');
        if (i < n && (quoted || (commandLine[i] != ' ' && commandLine[i] != '\t')))
          argument += commandLine[i++];
      }
    }
    arguments.push_back(std::move(argument));
  }
  return arguments;
}

std::optional<std::string> Shell::FindProgram(const std::string& name) {
  if (name.empty()) return std::nullopt;
  auto exists = [&](const std::string& path) {
    DWORD attributes = files_.GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  };
  std::vector<std::string> names{name};
  const std::size_t slash = name.find_last_of("\\/");
  if (name.find('.', slash == std::string::npos ? 0 : slash) == std::string::npos)
    names.push_back(name + ".exe");
  if (name.find_first_of("\\/:") != std::string::npos) {
    for (const std::string& candidate : names) {
      if (exists(candidate)) return candidate;
    }
    return std::nullopt;
  }
  char current[MAX_PATH];
  std::vector<std::string> folders = firstFolders_;
  if (files_.GetCurrentDirectoryA(sizeof current, current) < sizeof current)
    folders.push_back(current);
  folders.push_back(system_.WindowsDirectory());
  folders.push_back(system_.SystemDirectory());
  for (std::string& folder : system_.PathFolders()) folders.push_back(std::move(folder));
  for (const std::string& folder : folders) {
    for (const std::string& candidate : names) {
      std::string full = folder + (folder.ends_with("\\") ? "" : "\\") + candidate;
      if (exists(full)) return full;
    }
  }
  return std::nullopt;
}

}  // namespace platform
