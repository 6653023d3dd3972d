#include "platform/image/shortcut_layout.h"

#include <cstring>

#include "platform/image/byte_reader.h"

namespace platform {

namespace {

constexpr std::size_t kHeaderSize = 0x4C;
constexpr char kShellLinkClsid[] =
    "\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46";

// Link information: its flags, and the sizes of its header with and without the offsets of
// the Unicode texts.
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 0x1;
constexpr std::uint32_t kCommonNetworkRelativeLinkAndPathSuffix = 0x2;
constexpr std::uint32_t kLinkInfoHeaderSize = 0x1C;
constexpr std::uint32_t kLinkInfoUnicodeHeaderSize = 0x24;
// A common network relative link: its smallest size, and the net name offset above which
// the Unicode offsets follow.
constexpr std::uint32_t kNetworkLinkSize = 0x14;

// The texts of the link information (offsets count from its start).
void ReadLinkInfo(const ByteReader& info, ShortcutLayout& layout) {
  const auto headerSize = info.U32(4);
  const auto flags = info.U32(8);
  if (!headerSize || !flags || *headerSize < kLinkInfoHeaderSize) return;
  const bool unicodeOffsets = *headerSize >= kLinkInfoUnicodeHeaderSize;
  auto unicodeText = [&](std::size_t offsetField) -> std::optional<std::string> {
    if (!unicodeOffsets) return std::nullopt;
    const auto offset = info.U32(offsetField);
    return offset ? info.Text(*offset, 2) : std::nullopt;
  };

  if (*flags & kVolumeIdAndLocalBasePath) {
    if (const auto offset = info.U32(16)) {
      if (auto ansi = info.Text(*offset, 1))
        layout.localBasePath = StoredText{std::move(*ansi), unicodeText(28)};
    }
  }
  if (*flags & kCommonNetworkRelativeLinkAndPathSuffix) {
    const auto offset = info.U32(20);
    const auto size = offset ? info.U32(*offset) : std::nullopt;
    const auto range =
        size && *size >= kNetworkLinkSize ? info.Range(*offset, *size) : std::nullopt;
    if (range) {
      const ByteReader link(*range);
      const auto nameOffset = link.U32(8);
      if (auto ansi = nameOffset ? link.Text(*nameOffset, 1) : std::nullopt) {
        std::optional<std::string> utf16;
        if (*nameOffset > kNetworkLinkSize) {
          if (const auto unicodeOffset = link.U32(20)) utf16 = link.Text(*unicodeOffset, 2);
        }
        layout.netName = StoredText{std::move(*ansi), std::move(utf16)};
      }
    }
  }
  if (const auto offset = info.U32(24)) {
    if (auto ansi = info.Text(*offset, 1))
      layout.commonPathSuffix = StoredText{std::move(*ansi), unicodeText(32)};
  }
}

}  // namespace

std::optional<ShortcutLayout> ReadShortcutLayout(std::string_view data) {
  const ByteReader bytes(data);
  if (bytes.Size() < kHeaderSize || *bytes.U32(0) != kHeaderSize ||
      std::memcmp(data.data() + 4, kShellLinkClsid, 16) != 0)
    return std::nullopt;
  ShortcutLayout layout;
  layout.linkFlags = *bytes.U32(20);
  layout.unicodeStrings = (layout.linkFlags & kIsUnicode) != 0;
  std::size_t at = kHeaderSize;

  if (layout.linkFlags & kHasLinkTargetIdList) {
    const auto size = bytes.U16(at);
    const auto list = size ? bytes.Range(at + 2, *size) : std::nullopt;
    if (!list) return layout;
    layout.itemIdList = std::string(*list);
    at += 2 + *size;
  }
  if (layout.linkFlags & kHasLinkInfo) {
    const auto size = bytes.U32(at);
    const auto info = size && *size >= kLinkInfoHeaderSize ? bytes.Range(at, *size) : std::nullopt;
    if (!info) return layout;
    ReadLinkInfo(ByteReader(*info), layout);
    at += *size;
  }
  // The strings: a count of characters, then the characters. Only the name comes before
  // the relative path.
  const std::size_t unitSize = layout.unicodeStrings ? 2 : 1;
  auto nextString = [&]() -> std::optional<std::string_view> {
    const auto count = bytes.U16(at);
    const auto text = count ? bytes.Range(at + 2, *count * unitSize) : std::nullopt;
    if (text) at += 2 + text->size();
    return text;
  };
  if ((layout.linkFlags & kHasName) && !nextString()) return layout;
  if (layout.linkFlags & kHasRelativePath) {
    if (const auto text = nextString()) layout.relativePath = std::string(*text);
  }
  return layout;
}

}  // namespace platform
