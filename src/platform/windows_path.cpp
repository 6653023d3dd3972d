#include "platform/windows_path.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace platform {

namespace {

bool IsDriveLetter(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0;
}

bool HasDrive(std::string_view path) {
  return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == ':';
}

}  // namespace

std::vector<std::string> SplitAtBackslashes(const CodePage& codePage, std::string_view text) {
  std::vector<std::string> parts;
  std::size_t start = 0;  // of the current part
  auto endPart = [&](std::size_t end) {
    if (end > start) parts.emplace_back(text.substr(start, end - start));
  };
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = codePage.CharLength(text, i);
    if (length == 1 && text[i] == '\\') {
      endPart(i);
      start = i + 1;
    }
    i += length;
  }
  endPart(text.size());
  return parts;
}

namespace {

// True when the text ends in a backslash that is not the second byte of a character.
bool EndsWithSeparator(const CodePage& codePage, std::string_view text) {
  bool separator = false;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = codePage.CharLength(text, i);
    separator = length == 1 && text[i] == '\\';
    i += length;
  }
  return separator;
}

// Applies "." and ".." and trims trailing dots and blanks, as Windows does per component.
void Resolve(std::vector<std::string>& out, const std::vector<std::string>& in) {
  for (std::string part : in) {
    if (part == ".") continue;
    if (part == "..") {
      if (!out.empty()) out.pop_back();
      continue;
    }
    while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
    if (!part.empty()) out.push_back(std::move(part));
  }
}

}  // namespace

std::string DrivePath::Text() const {
  std::string text{drive, ':'};
  for (const std::string& part : components) text += "\\" + part;
  if (components.empty() || trailingSeparator) text += "\\";
  return text;
}

DWORD MakeFullPath(const CodePage& codePage, std::string_view input,
                   std::string_view currentDirectory, std::string& full) {
  std::string path(input);
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  if (path.empty()) return ERROR_INVALID_NAME;
  if (path.starts_with("\\\\?\\")) path.erase(0, 4);  // the long-path prefix adds nothing here
  if (path.starts_with("\\\\")) {
    full = path;
    return ERROR_SUCCESS;
  }

  std::string current(currentDirectory);
  DrivePath result;
  std::string_view rest;
  std::vector<std::string> base;
  if (HasDrive(path)) {
    result.drive = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
    rest = std::string_view(path).substr(2);
    bool sameDrive =
        HasDrive(current) && std::toupper(static_cast<unsigned char>(current[0])) == result.drive;
    // "C:name" is relative to the current folder when it is on that drive.
    if (!rest.starts_with("\\") && sameDrive)
      base = SplitAtBackslashes(codePage, current.substr(2));
  } else {
    if (!HasDrive(current)) return ERROR_INVALID_NAME;
    result.drive = static_cast<char>(std::toupper(static_cast<unsigned char>(current[0])));
    rest = path;
    if (!rest.starts_with("\\")) base = SplitAtBackslashes(codePage, current.substr(2));
  }
  Resolve(result.components, base);
  Resolve(result.components, SplitAtBackslashes(codePage, rest));
  result.trailingSeparator = EndsWithSeparator(codePage, rest) && !result.components.empty();
  full = result.Text();
  return ERROR_SUCCESS;
}

namespace {

// A single-byte character that a Windows file name may not hold.
// A table, since every character of every name a folder holds is looked up here.
constexpr std::array<bool, 256> kForbiddenInNames = [] {
  std::array<bool, 256> table{};
  for (int c = 0; c < 0x20; ++c) table[c] = true;
  for (unsigned char c : std::string_view("<>:\"/\\|?*")) table[c] = true;
  return table;
}();

bool ForbiddenInNames(unsigned char c) {
  return kForbiddenInNames[c];
}

}  // namespace

bool IsValidFileName(const CodePage& codePage, std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (std::size_t i = 0; i < name.size();) {
    std::size_t length = codePage.CharLength(name, i);
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (length == 1 && ForbiddenInNames(c)) return false;
    i += length;
  }
  return true;
}

std::string FileNamePart(const CodePage& codePage, std::string_view text, std::size_t maxBytes) {
  std::string part;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = std::min(codePage.CharLength(text, i), text.size() - i);
    if (part.size() + length > maxBytes) break;
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (length == 1 && ForbiddenInNames(c))
      part += '_';
    else
      part.append(text.substr(i, length));
    i += length;
  }
  return part;
}

DWORD SplitDrivePath(const CodePage& codePage, std::string_view full, DrivePath& path) {
  if (full.starts_with("\\\\")) return ERROR_BAD_NETPATH;
  if (!HasDrive(full) || (full.size() > 2 && full[2] != '\\')) return ERROR_INVALID_NAME;
  if (full.size() >= MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;
  path.drive = static_cast<char>(std::toupper(static_cast<unsigned char>(full[0])));
  path.components = SplitAtBackslashes(codePage, full.substr(2));
  path.trailingSeparator = full.size() > 3 && EndsWithSeparator(codePage, full);
  for (const std::string& part : path.components) {
    if (!IsValidFileName(codePage, part)) return ERROR_INVALID_NAME;
  }
  return ERROR_SUCCESS;
}

}  // namespace platform
