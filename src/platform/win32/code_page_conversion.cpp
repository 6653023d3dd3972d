// UTF-16 conversions of the system's code pages through the system's own tables, with the
// layer's rules where the system's would differ between versions: a byte that is no
// character becomes U+FFFD (older systems substitute the code page's default character), and
// a character the code page lacks becomes one "?" (never a look-alike).
#include <string>

#include "platform/code_page.h"
#include "platform/win32/code_page_calls.h"

namespace platform {

namespace {

void AppendUnit(std::string& bytes, char16_t unit) {
  bytes += static_cast<char>(unit & 0xFF);
  bytes += static_cast<char>(unit >> 8);
}

bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit < 0xDC00;
}

bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit < 0xE000;
}

}  // namespace

std::string CodePage::ToUtf16Bytes(std::string_view text) const {
  std::u16string units;
  if (!win32::ToUtf16(number_, text, units)) {
    // Some byte is no character: one character at a time, so that only it is replaced.
    units.clear();
    std::u16string piece;
    for (std::size_t offset = 0; offset < text.size();) {
      const std::size_t length = CharLength(text, offset);
      if (win32::ToUtf16(number_, text.substr(offset, length), piece)) {
        units += piece;
        offset += length;
      } else {
        // A lead byte whose second byte does not fit: the second is tried on its own. Plain
        // ASCII stays itself even in a code page the system does not know.
        const auto byte = static_cast<unsigned char>(text[offset]);
        units += byte < 0x80 ? static_cast<char16_t>(byte) : u'\uFFFD';
        offset += 1;
      }
    }
  }
  std::string bytes;
  bytes.reserve(units.size() * 2);
  for (char16_t unit : units) AppendUnit(bytes, unit);
  return bytes;
}

std::string CodePage::FromUtf16Bytes(std::string_view bytes) const {
  std::u16string units(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  std::string out;
  bool usedDefault = false;
  const bool converted = win32::FromUtf16(number_, units, out, usedDefault);
  if (converted && !usedDefault) return out;
  // Some character is missing from the code page (or the system does not know the code
  // page): one character at a time, each missing one a single "?" (the system may give two
  // for a surrogate pair).
  out.clear();
  std::string piece;
  for (std::size_t offset = 0; offset < units.size();) {
    const bool pair = offset + 1 < units.size() && IsHighSurrogate(units[offset]) &&
                      IsLowSurrogate(units[offset + 1]);
    const std::size_t length = pair ? 2 : 1;
    if (converted &&
        win32::FromUtf16(number_, std::u16string_view(units).substr(offset, length), piece,
                         usedDefault) &&
        !usedDefault) {
      out += piece;
    } else {
      out += !converted && units[offset] < 0x80 ? static_cast<char>(units[offset]) : '?';
    }
    offset += length;
  }
  return out;
}

}  // namespace platform
