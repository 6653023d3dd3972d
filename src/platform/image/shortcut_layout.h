// The parts of a shell link file (".lnk", the Shell Link Binary File Format of [MS-SHLLINK])
// that name its target, read from the file's bytes with every size and offset checked. It is
// the image shell's own reader for what liblnk cannot give: the texts exactly as the file
// stores them, and the target of a file liblnk refuses. Only the parts up to the relative
// path are read; the other strings and the extra data blocks are never looked at, so damage
// there costs nothing. It knows nothing of code pages: texts stay bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// A text of the link information: bytes in the ANSI code page of the machine that wrote the
// link, and the same text as UTF-16 (little-endian byte pairs) where the file has that form.
struct StoredText {
  std::string ansi;
  std::optional<std::string> utf16;
};

struct ShortcutLayout {
  std::uint32_t linkFlags = 0;  // the header's LinkFlags
  // The LinkTargetIDList's items, terminal item included; empty when the link has none or it
  // runs past the end of the file.
  std::string itemIdList;
  // The link information: the local base path, the network share name ("\\server\share")
  // and the common path suffix that follows either; each absent when the file lacks it or
  // the link information runs past the end of the file.
  std::optional<StoredText> localBasePath;
  std::optional<StoredText> netName;
  std::optional<StoredText> commonPathSuffix;
  // The RELATIVE_PATH string as stored: UTF-16 byte pairs when the link is a Unicode link,
  // else ANSI bytes.
  std::optional<std::string> relativePath;
  bool unicodeStrings = false;
};

// LinkFlags of the header.
inline constexpr std::uint32_t kHasLinkTargetIdList = 0x1;
inline constexpr std::uint32_t kHasLinkInfo = 0x2;
inline constexpr std::uint32_t kHasName = 0x4;
inline constexpr std::uint32_t kHasRelativePath = 0x8;
inline constexpr std::uint32_t kIsUnicode = 0x80;
inline constexpr std::uint32_t kForceNoLinkInfo = 0x100;

// The parts that can be read, each up to the first that is damaged; nothing when the bytes
// do not begin with a shell link header.
std::optional<ShortcutLayout> ReadShortcutLayout(std::string_view bytes);

}  // namespace platform
