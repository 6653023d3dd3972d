#include "byte_list.h"

namespace regedit {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

ByteLineEnd ReadByteLine(std::string_view text, bool first, std::string& bytes) {
  std::size_t i = 0;
  auto skipBlanks = [&] {
    while (i < text.size() && IsBlank(text[i])) ++i;
  };
  auto atEnd = [&] { return i == text.size() || text[i] == ';'; };
  // Where a byte may start: the start of the list, or after a comma. Only there may a "\"
  // carry the list on, except at the start of a line that already carries it on.
  bool mayContinue = first;
  for (;;) {
    skipBlanks();
    if (atEnd()) return ByteLineEnd::Last;  // an empty list, or one closed by a comma
    if (text[i] == '\\') {
      if (!mayContinue) return ByteLineEnd::Unreadable;
      ++i;
      skipBlanks();
      return atEnd() ? ByteLineEnd::Continued : ByteLineEnd::Unreadable;
    }
    int value = HexDigit(text[i]);
    if (value < 0) return ByteLineEnd::Unreadable;  // an empty field, or no digit at all
    ++i;
    if (i < text.size() && HexDigit(text[i]) >= 0) value = value * 16 + HexDigit(text[i++]);
    if (i < text.size() && HexDigit(text[i]) >= 0) return ByteLineEnd::Unreadable;
    bytes += static_cast<char>(value);
    skipBlanks();
    if (atEnd()) return ByteLineEnd::Last;
    if (text[i] != ',') return ByteLineEnd::Unreadable;  // "\" or other text after a byte
    ++i;
    mayContinue = true;
  }
}

}  // namespace regedit
