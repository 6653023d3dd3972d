#include "foundation/whole_file.h"

namespace foundation {

using namespace platform;

std::optional<std::string> ReadWholeFile(Files& files, const std::string& path) {
  HANDLE file = files.CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char block[65536];
  DWORD count = 0;
  bool ok = true;
  while ((ok = files.ReadFile(file, block, sizeof block, &count, nullptr)) && count > 0)
    bytes.append(block, count);
  DWORD error = GetLastError();
  CloseHandle(file);
  if (!ok) return Fail(error, std::optional<std::string>());
  return bytes;
}

namespace {

// The bytes as the file's content; with flush they are on the disk before this returns.
bool WriteBytes(Files& files, const std::string& path, const std::string& bytes, DWORD disposition,
                bool flush) {
  HANDLE file = files.CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok =
      files.WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  if (ok && flush) ok = files.FlushFileBuffers(file);
  DWORD error = GetLastError();
  CloseHandle(file);
  if (!ok) return Fail(error, false);
  return written == bytes.size();
}

}  // namespace

bool WriteWholeFile(Files& files, const std::string& path, const std::string& bytes,
                    DWORD disposition) {
  return WriteBytes(files, path, bytes, disposition, false);
}

bool ReplaceWholeFile(Files& files, const std::string& path, const std::string& bytes) {
  const std::string temporary = path + ".vxnew";
  // On the disk before it takes the old file's place: after a crash the file is whole, old or
  // new, never an empty new one.
  if (!WriteBytes(files, temporary, bytes, CREATE_ALWAYS, true)) {
    DWORD error = GetLastError();
    files.DeleteFileA(temporary.c_str());
    return Fail(error, false);
  }
  if (!files.MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DWORD error = GetLastError();
    files.DeleteFileA(temporary.c_str());
    return Fail(error, false);
  }
  return true;
}

std::vector<std::string> TextLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

}  // namespace foundation
