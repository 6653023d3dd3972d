#include "platform/code_page.h"

namespace platform {

namespace {

// Western European: the accented capitals of the upper half have their small letters 0x20
// above them; a few more sit in the 0x80 row.
unsigned char Lower1252(unsigned char byte) {
  if (byte >= 'A' && byte <= 'Z') return byte + 0x20;
  if (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7) return byte + 0x20;
  switch (byte) {
    case 0x8A:
    case 0x8C:
    case 0x8E:
      return byte + 0x10;
    case 0x9F:
      return 0xFF;
    default:
      return byte;
  }
}

unsigned char Upper1252(unsigned char byte) {
  if (byte >= 'a' && byte <= 'z') return byte - 0x20;
  if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7) return byte - 0x20;
  switch (byte) {
    case 0x9A:
    case 0x9C:
    case 0x9E:
      return byte - 0x10;
    case 0xFF:
      return 0x9F;
    default:
      return byte;
  }
}

}  // namespace

CodePage::CodePage(unsigned number) : number_(number) {}

bool CodePage::DoubleByte() const {
  return number_ == 932 || number_ == 936 || number_ == 949 || number_ == 950;
}

bool CodePage::IsLeadByte(unsigned char byte) const {
  switch (number_) {
    case 932:
      return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
      return byte >= 0x81 && byte <= 0xFE;
    default:
      return false;
  }
}

std::size_t CodePage::CharLength(std::string_view text, std::size_t offset) const {
  if (offset + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[offset]))) return 2;
  return 1;
}

unsigned char CodePage::LowerByte(unsigned char byte) const {
  if (number_ == 1252) return Lower1252(byte);
  return (byte >= 'A' && byte <= 'Z') ? byte + 0x20 : byte;
}

unsigned char CodePage::UpperByte(unsigned char byte) const {
  if (number_ == 1252) return Upper1252(byte);
  return (byte >= 'a' && byte <= 'z') ? byte - 0x20 : byte;
}

std::string CodePage::Lower(std::string_view text) const {
  std::string result(text);
  for (std::size_t i = 0; i < result.size();) {
    std::size_t length = DoubleByte() ? CharLength(result, i) : 1;
    if (length == 1) result[i] = static_cast<char>(LowerByte(static_cast<unsigned char>(result[i])));
    i += length;
  }
  return result;
}

std::string CodePage::Upper(std::string_view text) const {
  std::string result(text);
  for (std::size_t i = 0; i < result.size();) {
    std::size_t length = DoubleByte() ? CharLength(result, i) : 1;
    if (length == 1) result[i] = static_cast<char>(UpperByte(static_cast<unsigned char>(result[i])));
    i += length;
  }
  return result;
}

bool CodePage::EqualNoCase(std::string_view a, std::string_view b) const {
  return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

int CodePage::CompareNoCase(std::string_view a, std::string_view b) const {
  if (DoubleByte()) {
    std::string lowerA = Lower(a), lowerB = Lower(b);
    return lowerA.compare(lowerB) < 0 ? -1 : (lowerA == lowerB ? 0 : 1);
  }
  std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    unsigned char x = LowerByte(static_cast<unsigned char>(a[i]));
    unsigned char y = LowerByte(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace platform
