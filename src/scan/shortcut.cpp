#include "scan/shortcut.h"

#include <cstdint>

#include "foundation/whole_file.h"

namespace scan {

namespace {

std::uint32_t Little32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// Whether the file is small enough to be a shortcut and its parts' sizes fit in it: the
// reader trusts the size a part announces and would reserve that much memory for it.
bool PlausibleShortcut(platform::Files& files, const std::string& path) {
  constexpr std::size_t kLargestShortcut = 1 << 20, kHeaderSize = 0x4C;
  const auto bytes = foundation::ReadWholeFile(files, path);
  if (!bytes || bytes->size() < kHeaderSize || bytes->size() > kLargestShortcut) return false;
  const std::uint32_t flags = Little32(*bytes, 20);
  std::size_t at = kHeaderSize;
  if (flags & 0x1) {  // a target ID list: a 16-bit size, then the list
    if (at + 2 > bytes->size()) return false;
    at += 2 + (static_cast<unsigned char>((*bytes)[at]) |
               static_cast<unsigned char>((*bytes)[at + 1]) << 8);
  }
  if (flags & 0x2) {  // link information: its 32-bit size counts itself
    if (at + 4 > bytes->size() || Little32(*bytes, at) > bytes->size() - at) return false;
    at += Little32(*bytes, at);
  }
  return at <= bytes->size();
}

}  // namespace

std::string ResolveShortcut(platform::Machine& machine, const std::string& path) {
  platform::Files& files = machine.files();
  if (files.Code().Lower(path).find(".lnk") == std::string::npos) return {};
  if (!PlausibleShortcut(files, path)) return {};
  return machine.shell().ShortcutTarget(path);
}

}  // namespace scan
