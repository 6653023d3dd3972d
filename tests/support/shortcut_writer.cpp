#include "support/shortcut_writer.h"

#include <cstdint>

namespace testing_support {

namespace {

void Put32(std::string& bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::string ShortcutBytes(const std::string& targetPath) {
  std::string bytes;
  Put32(bytes, 0x4C);  // header size
  bytes += std::string("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
  Put32(bytes, 0x2);                          // has link info
  Put32(bytes, 0x20);                         // archive
  bytes += std::string(24, '\0');             // three FILETIMEs
  Put32(bytes, 0);                            // file size
  Put32(bytes, 0);                            // icon index
  Put32(bytes, 1);                            // shown normally
  bytes += std::string(2 + 2 + 4 + 4, '\0');  // hot key and reserved

  const std::string volume = [] {
    std::string id;
    Put32(id, 0x11);        // size with an empty label
    Put32(id, 3);           // fixed drive
    Put32(id, 0x12345678);  // serial number
    Put32(id, 0x10);        // label offset
    return id + '\0';
  }();
  const std::uint32_t headerSize = 0x1C;
  const std::uint32_t localPathOffset = headerSize + static_cast<std::uint32_t>(volume.size());
  const std::uint32_t suffixOffset =
      localPathOffset + static_cast<std::uint32_t>(targetPath.size() + 1);
  Put32(bytes, suffixOffset + 1);  // link info size
  Put32(bytes, headerSize);
  Put32(bytes, 1);  // volume id and local base path
  Put32(bytes, headerSize);
  Put32(bytes, localPathOffset);
  Put32(bytes, 0);  // no network link
  Put32(bytes, suffixOffset);
  bytes += volume + targetPath + '\0' + '\0';
  Put32(bytes, 0);  // terminal block
  return bytes;
}

}  // namespace testing_support
