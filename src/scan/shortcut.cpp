#include "scan/shortcut.h"

#include <liblnk.h>

#include <cstdint>
#include <vector>

#include "foundation/whole_file.h"

namespace scan {

namespace {

// Shortcut paths come back as UTF-8; the program's texts are 8-bit. Characters up to 255
// keep their code, others become "?".
std::string Narrow(const std::string& utf8) {
  std::string narrow;
  for (std::size_t i = 0; i < utf8.size();) {
    unsigned char lead = static_cast<unsigned char>(utf8[i]);
    std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    unsigned code = lead;
    if (length == 2 && i + 1 < utf8.size())
      code = (lead & 0x1F) << 6 | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F);
    narrow += code < 256 && length <= 2 ? static_cast<char>(code) : '?';
    i += length;
  }
  return narrow;
}

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

std::string ResolveShortcut(platform::Files& files, const std::string& path) {
  if (files.Code().Lower(path).find(".lnk") == std::string::npos) return {};
  auto host = files.HostPathOf(path);
  if (!host || !PlausibleShortcut(files, path)) return {};
  liblnk_file_t* link = nullptr;
  if (liblnk_file_initialize(&link, nullptr) != 1) return {};
  std::string target;
  if (liblnk_file_open(link, host->c_str(), LIBLNK_OPEN_READ, nullptr) == 1) {
    liblnk_file_set_ascii_codepage(link, LIBLNK_CODEPAGE_WINDOWS_1252, nullptr);
    std::size_t size = 0;
    if (liblnk_file_get_utf8_local_path_size(link, &size, nullptr) == 1 && size > 1) {
      std::vector<std::uint8_t> buffer(size);
      if (liblnk_file_get_utf8_local_path(link, buffer.data(), buffer.size(), nullptr) == 1)
        target = Narrow(reinterpret_cast<const char*>(buffer.data()));
    }
    liblnk_file_close(link, nullptr);
  }
  liblnk_file_free(&link, nullptr);
  return target;
}

}  // namespace scan
