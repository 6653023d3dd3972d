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

  // True when the byte starts a two-byte character in this code page.
  bool IsLeadByte(unsigned char byte) const;

  // Byte length of the character that starts at text[offset] (1 or 2; 1 at the end).
  std::size_t CharLength(std::string_view text, std::size_t offset) const;

  std::string Lower(std::string_view text) const;
  std::string Upper(std::string_view text) const;
  bool EqualNoCase(std::string_view a, std::string_view b) const;
  // Orders a and b as their lower-cased forms compare byte by byte.
  int CompareNoCase(std::string_view a, std::string_view b) const;

 private:
  unsigned char LowerByte(unsigned char byte) const;
  unsigned char UpperByte(unsigned char byte) const;
  bool DoubleByte() const;

  unsigned number_;
};

}  // namespace platform
