#include "platform/code_page.h"

#include <algorithm>
#include <string>

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

bool IsLeadByteOf(unsigned number, unsigned char byte) {
  switch (number) {
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

}  // namespace

std::u16string CodePage::ToUtf16(std::string_view text) const {
  const std::string bytes = ToUtf16Bytes(text);
  std::u16string units(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  return units;
}

std::string CodePage::FromUtf16(std::u16string_view text) const {
  std::string bytes;
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return FromUtf16Bytes(bytes);
}

std::string CodePage::ToUtf8(std::string_view text) const {
  const std::u16string units = ToUtf16(text);
  std::string out;
  out.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t point = units[i];
    const bool high = point >= 0xD800 && point < 0xDC00;
    if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000)
      point = 0x10000 + ((point - 0xD800) << 10) + (units[++i] - 0xDC00);
    else if (point >= 0xD800 && point < 0xE000)
      point = 0xFFFD;  // an unpaired surrogate
    if (point < 0x80) {
      out += static_cast<char>(point);
    } else if (point < 0x800) {
      out += static_cast<char>(0xC0 | point >> 6);
      out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
      out += static_cast<char>(0xE0 | point >> 12);
      out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | point >> 18);
      out += static_cast<char>(0x80 | (point >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (point >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (point & 0x3F));
    }
  }
  return out;
}

CodePage::CodePage(unsigned number)
    : number_(number),
      doubleByte_(number == 932 || number == 936 || number == 949 || number == 950) {
  for (unsigned byte = 0; byte < 256; ++byte) {
    auto value = static_cast<unsigned char>(byte);
    lead_[byte] = IsLeadByteOf(number, value);
    if (number_ == 1252) {
      lower_[byte] = Lower1252(value);
      upper_[byte] = Upper1252(value);
    } else {
      lower_[byte] = (value >= 'A' && value <= 'Z') ? value + 0x20 : value;
      upper_[byte] = (value >= 'a' && value <= 'z') ? value - 0x20 : value;
    }
  }
}

std::string CodePage::Lower(std::string_view text) const {
  std::string result;
  AppendLower(text, result);
  return result;
}

void CodePage::AppendLower(std::string_view text, std::string& out) const {
  const std::size_t start = out.size();
  out.append(text);
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = DoubleByte() ? CharLength(text, i) : 1;
    if (length == 1)
      out[start + i] = static_cast<char>(lower_[static_cast<unsigned char>(text[i])]);
    i += length;
  }
}

std::string CodePage::Upper(std::string_view text) const {
  std::string result(text);
  for (std::size_t i = 0; i < result.size();) {
    std::size_t length = DoubleByte() ? CharLength(result, i) : 1;
    if (length == 1) result[i] = static_cast<char>(upper_[static_cast<unsigned char>(result[i])]);
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
    unsigned char x = lower_[static_cast<unsigned char>(a[i])];
    unsigned char y = lower_[static_cast<unsigned char>(b[i])];
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace platform
