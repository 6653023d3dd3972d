#include "support/shortcut_writer.h"

#include <cstdint>

namespace testing_support {

namespace {

void Put16(std::string& bytes, std::uint32_t value) {
  for (int i = 0; i < 2; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void Put32(std::string& bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string Utf16(const std::u16string& text) {
  std::string bytes;
  for (char16_t unit : text) Put16(bytes, unit);
  return bytes;
}

// A count of characters, then the UTF-16 characters.
std::string CountedString(const std::u16string& text) {
  std::string bytes;
  Put16(bytes, static_cast<std::uint32_t>(text.size()));
  return bytes + Utf16(text);
}

std::string Item(const std::string& data) {
  std::string item;
  Put16(item, static_cast<std::uint32_t>(data.size() + 2));
  return item + data;
}

std::string LinkInfo(const ShortcutParts& parts) {
  const bool unicode = parts.localPathUnicode.has_value();
  const std::uint32_t headerSize = unicode ? 0x24 : 0x1C;
  std::string body;
  std::uint32_t volumeOffset = 0, localOffset = 0, networkOffset = 0, localUnicodeOffset = 0,
                suffixUnicodeOffset = 0;
  auto offset = [&] { return headerSize + static_cast<std::uint32_t>(body.size()); };
  if (parts.localPath) {
    volumeOffset = offset();
    Put32(body, 0x11);        // size with an empty label
    Put32(body, 3);           // fixed drive
    Put32(body, 0x12345678);  // serial number
    Put32(body, 0x10);        // label offset
    body += '\0';
    localOffset = offset();
    body += *parts.localPath + '\0';
  }
  if (parts.shareName) {
    networkOffset = offset();
    Put32(body, static_cast<std::uint32_t>(0x14 + parts.shareName->size() + 1));
    Put32(body, 0);        // no device name, no network provider type
    Put32(body, 0x14);     // net name offset
    Put32(body, 0);        // device name offset
    Put32(body, 0x20000);  // a LanMan network
    body += *parts.shareName + '\0';
  }
  const std::uint32_t suffixOffset = offset();
  body += parts.pathSuffix + '\0';
  if (unicode) {
    localUnicodeOffset = offset();
    body += Utf16(*parts.localPathUnicode) + std::string(2, '\0');
    suffixUnicodeOffset = offset();
    body += std::string(2, '\0');
  }
  std::string info;
  Put32(info, headerSize + static_cast<std::uint32_t>(body.size()));
  Put32(info, headerSize);
  Put32(info, (parts.localPath ? 0x1 : 0) | (parts.shareName ? 0x2 : 0));
  Put32(info, volumeOffset);
  Put32(info, localOffset);
  Put32(info, networkOffset);
  Put32(info, suffixOffset);
  if (unicode) {
    Put32(info, localUnicodeOffset);
    Put32(info, suffixUnicodeOffset);
  }
  return info + body;
}

}  // namespace

std::string MyComputerItem() {
  return Item(
      std::string("\x1F\x50\xE0\x4F\xD0\x20\xEA\x3A\x69\x10\xA2\xD8\x08\x00\x2B\x30\x30\x9D", 18));
}

std::string DriveItem(char letter) {
  std::string name = std::string{letter, ':', '\\'};
  return Item('\x2F' + name + std::string(20 - name.size() + 2, '\0'));
}

std::string FileItem(const std::string& shortName, const std::u16string& longName, bool folder) {
  std::string data;
  data += folder ? '\x31' : '\x32';
  data += '\0';
  Put32(data, 0);                     // file size
  Put32(data, 0);                     // modification time
  Put16(data, folder ? 0x10 : 0x20);  // attributes
  data += shortName + '\0';
  if (data.size() % 2) data += '\0';  // the extension block starts on a 16-bit boundary
  if (!longName.empty()) {
    const std::uint32_t start = static_cast<std::uint32_t>(data.size() + 2);
    std::string block;
    Put16(block, 3);  // version 3, Windows XP
    Put32(block, 0xBEEF0004);
    Put32(block, 0);     // creation time
    Put32(block, 0);     // access time
    Put16(block, 0x14);  // where the long name starts
    Put16(block, 0);     // no localized name
    block += Utf16(longName) + std::string(2, '\0');
    Put16(block, start);
    Put16(data, static_cast<std::uint32_t>(block.size() + 2));
    data += block;
  }
  return Item(data);
}

std::string ShortcutBytes(const std::string& targetPath) {
  ShortcutParts parts;
  parts.localPath = targetPath;
  return ShortcutBytes(parts);
}

std::string ShortcutBytes(const ShortcutParts& parts) {
  const bool linkInfo = parts.localPath || parts.shareName;
  std::uint32_t flags = 0x80;  // Unicode strings
  if (!parts.items.empty()) flags |= 0x1;
  if (linkInfo) flags |= 0x2;
  if (parts.relativePath) flags |= 0x8;
  if (!parts.arguments.empty()) flags |= 0x20;

  std::string bytes;
  Put32(bytes, 0x4C);  // header size
  bytes += std::string("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
  Put32(bytes, flags);
  Put32(bytes, 0x20);                         // archive
  bytes += std::string(24, '\0');             // three FILETIMEs
  Put32(bytes, 0);                            // file size
  Put32(bytes, 0);                            // icon index
  Put32(bytes, 1);                            // shown normally
  bytes += std::string(2 + 2 + 4 + 4, '\0');  // hot key and reserved

  if (!parts.items.empty()) {
    std::string list;
    for (const std::string& item : parts.items) list += item;
    list += std::string(2, '\0');  // the terminal item
    Put16(bytes, static_cast<std::uint32_t>(list.size()));
    bytes += list;
  }
  if (linkInfo) bytes += LinkInfo(parts);
  if (parts.relativePath) bytes += CountedString(*parts.relativePath);
  if (!parts.arguments.empty()) {
    if (parts.argumentsCut) {
      Put16(bytes, 0xFFFF);
      return bytes + Utf16(parts.arguments);
    }
    bytes += CountedString(parts.arguments);
  }
  if (parts.oversizedExtraBlock) {
    Put32(bytes, 0x10000);     // far more than follows
    Put32(bytes, 0xA0000001);  // an environment variables block
    bytes += "%windir%\\notepad.exe";
    bytes += std::string(12, '\0');
  }
  Put32(bytes, 0);  // terminal block
  return bytes;
}

}  // namespace testing_support
