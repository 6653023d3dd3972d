// Lower-casing and case-insensitive comparison in the machine's ANSI code page. Every
// case-insensitive comparison of the program goes through here, so double-byte code pages
// are stepped over whole characters everywhere.
#pragma once

#include <string>
#include <string_view>

namespace platform {

class CodePage {
 public:
  explicit CodePage(unsigned number = 1252);

  unsigned Number() const { return number_; }

  // True when some characters of this code page take two bytes.
  bool DoubleByte() const { return doubleByte_; }
  // True when the byte starts a two-byte character in this code page.
  bool IsLeadByte(unsigned char byte) const { return lead_[byte]; }

  // Byte length of the character that starts at text[offset] (1 or 2; 1 at the end).
  std::size_t CharLength(std::string_view text, std::size_t offset) const {
    return offset + 1 < text.size() && lead_[static_cast<unsigned char>(text[offset])] ? 2 : 1;
  }

  // The lower-case form of a single-byte character.
  unsigned char LowerByte(unsigned char byte) const { return lower_[byte]; }

  std::string Lower(std::string_view text) const;
  // Lower(text) added to the end of out, which keeps its memory for the next.
  void AppendLower(std::string_view text, std::string& out) const;
  std::string Upper(std::string_view text) const;
  bool EqualNoCase(std::string_view a, std::string_view b) const;
  // Orders a and b as their lower-cased forms compare byte by byte.
  int CompareNoCase(std::string_view a, std::string_view b) const;

  // The text as UTF-16 units, as the system's wide-character calls see it; a byte that is no
  // character of the code page becomes U+FFFD.
  std::u16string ToUtf16(std::string_view text) const;
  // UTF-16 units in this code page; a character the code page lacks becomes "?".
  std::string FromUtf16(std::u16string_view text) const;
  // The text as UTF-8, for output that must be Unicode whatever the machine's code page.
  std::string ToUtf8(std::string_view text) const;
  // The same with the units as little-endian byte pairs, as files and registry data hold
  // them (an odd last byte is dropped).
  std::string ToUtf16Bytes(std::string_view text) const;
  std::string FromUtf16Bytes(std::string_view bytes) const;

 private:
  unsigned number_;
  bool doubleByte_;
  unsigned char lower_[256];  // single-byte case mappings of this code page
  unsigned char upper_[256];
  bool lead_[256];
};

}  // namespace platform
