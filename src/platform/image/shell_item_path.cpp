#include "platform/image/shell_item_path.h"

#include <vector>

#include "platform/image/byte_reader.h"

namespace platform {

namespace {

// Item offsets count from the item's start, its 16-bit size included.
constexpr std::size_t kClassOffset = 2;
constexpr std::uint32_t kRootFolderClass = 0x1F;
constexpr std::size_t kRootFolderIdOffset = 4;
// {20D04FE0-3AEA-1069-A2D8-08002B30309D}, My Computer, as the item stores it.
constexpr std::string_view kMyComputer(
    "\xE0\x4F\xD0\x20\xEA\x3A\x69\x10\xA2\xD8\x08\x00\x2B\x30\x30\x9D", 16);
// Volume items (0x2N) and file entry items (0x3N): the type is the class's bits 0x70.
constexpr std::uint32_t kTypeBits = 0x70;
constexpr std::uint32_t kVolumeType = 0x20;
constexpr std::size_t kVolumeNameOffset = 3;
constexpr std::uint32_t kFileEntryType = 0x30;
constexpr std::uint32_t kFileEntryUnicode = 0x04;
constexpr std::size_t kFileEntryNameOffset = 14;
// The file entry extension block (Windows XP and later), which holds the long name.
constexpr std::uint32_t kFileEntryExtension = 0xBEEF0004;

// The long name of the file entry extension block at the offset, as UTF-16 bytes. Where
// the name starts depends on the block's version: 3 (XP), 7 (Vista), 8 (7 and 8.0), 9 (8.1
// and later) add fields before it.
std::optional<std::string> ExtensionLongName(const ByteReader& item, std::size_t at) {
  const auto size = item.U16(at);
  const auto version = item.U16(at + 2);
  if (!size || !version || item.U32(at + 4) != kFileEntryExtension) return std::nullopt;
  const auto block = item.Range(at, *size);
  if (!block) return std::nullopt;
  const std::size_t nameOffset = *version >= 9   ? 46
                                 : *version >= 8 ? 42
                                 : *version >= 7 ? 38
                                 : *version >= 3 ? 20
                                                 : 0;
  if (nameOffset == 0) return std::nullopt;
  return ByteReader(*block).Text(nameOffset, 2);
}

bool HasSeparator(const CodePage& codePage, std::string_view name) {
  for (std::size_t at = 0; at < name.size(); at += codePage.CharLength(name, at)) {
    if (name[at] == '\\' || name[at] == '/') return true;
  }
  return false;
}

// The name of a file entry item: the long name of its extension block, else its primary
// name (the long name before Windows XP, the short name since).
std::optional<std::string> FileEntryName(const CodePage& codePage, std::string_view data) {
  const ByteReader item(data);
  const bool unicode = (static_cast<unsigned char>(data[kClassOffset]) & kFileEntryUnicode) != 0;
  const std::size_t unitSize = unicode ? 2 : 1;
  const auto primary = item.Text(kFileEntryNameOffset, unitSize);
  if (!primary) return std::nullopt;
  // The extension block follows the name at a 16-bit boundary; the item's last two bytes
  // give its offset too.
  std::size_t after = kFileEntryNameOffset + primary->size() + unitSize;
  after += after % 2;
  auto longName = ExtensionLongName(item, after);
  if (!longName) {
    if (const auto offset = item.U16(data.size() - 2)) longName = ExtensionLongName(item, *offset);
  }
  std::string name = longName && !longName->empty() ? codePage.FromUtf16Bytes(*longName)
                     : unicode                      ? codePage.FromUtf16Bytes(*primary)
                                                    : *primary;
  if (name.empty() || name == "." || name == ".." || HasSeparator(codePage, name))
    return std::nullopt;
  return name;
}

// "C:\" from a volume item named "C:\" or "C:".
std::optional<std::string> DriveRoot(std::string_view data) {
  const auto name = ByteReader(data).Text(kVolumeNameOffset, 1);
  if (!name || name->size() < 2 || name->size() > 3 || (*name)[1] != ':' ||
      (name->size() == 3 && (*name)[2] != '\\'))
    return std::nullopt;
  const char letter = (*name)[0];
  if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z'))) return std::nullopt;
  return std::string{letter, ':', '\\'};
}

}  // namespace

std::optional<std::string> ItemIdListPath(const CodePage& codePage, std::string_view list) {
  // The items, each with its size; the list ends with an item of size 0, or with the bytes.
  const ByteReader bytes(list);
  std::vector<std::string_view> items;
  for (std::size_t at = 0;;) {
    const auto size = bytes.U16(at);
    if (!size || *size == 0) break;
    const auto item = *size > kClassOffset ? bytes.Range(at, *size) : std::nullopt;
    if (!item) return std::nullopt;
    items.push_back(*item);
    at += *size;
  }
  auto typeOf = [](std::string_view item) {
    return static_cast<unsigned char>(item[kClassOffset]) & kTypeBits;
  };

  std::size_t next = 0;
  if (next < items.size() &&
      static_cast<unsigned char>(items[next][kClassOffset]) == kRootFolderClass) {
    if (ByteReader(items[next]).Range(kRootFolderIdOffset, kMyComputer.size()) != kMyComputer)
      return std::nullopt;
    ++next;
  }
  if (next == items.size() || typeOf(items[next]) != kVolumeType) return std::nullopt;
  auto path = DriveRoot(items[next++]);
  if (!path) return std::nullopt;
  for (std::size_t first = next; next < items.size(); ++next) {
    if (typeOf(items[next]) != kFileEntryType) return std::nullopt;
    const auto name = FileEntryName(codePage, items[next]);
    if (!name) return std::nullopt;
    if (next != first) *path += '\\';
    *path += *name;
  }
  return path;
}

}  // namespace platform
