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

bool WriteWholeFile(Files& files, const std::string& path, const std::string& bytes,
                    DWORD disposition) {
  HANDLE file = files.CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok =
      files.WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  DWORD error = GetLastError();
  CloseHandle(file);
  if (!ok) return Fail(error, false);
  return written == bytes.size();
}

}  // namespace foundation
