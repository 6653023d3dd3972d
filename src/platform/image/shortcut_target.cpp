// Shortcuts of a machine image, read with liblnk.
#include <liblnk.h>

#include <cstdint>
#include <vector>

#include "platform/image/image_shell.h"

namespace platform {

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

}  // namespace

std::string ImageShell::ShortcutTarget(const std::string& path) {
  auto host = files_.HostPathOf(path);
  if (!host) return {};
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

}  // namespace platform
