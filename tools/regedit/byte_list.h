// The byte list of a hex value in registry-editor text ("hex:01,02,\" and the lines that
// carry it on), read one line at a time as the system's registry editor reads it. Knows
// nothing of value names, types or keys.
#pragma once

#include <string>
#include <string_view>

namespace regedit {

enum class ByteLineEnd {
  Last,        // the list ends in this line (a comma may close it)
  Continued,   // a "\" after a comma: the list goes on in the next line
  Unreadable,  // the value is refused
};

// Appends the bytes of one line of a list to bytes. first: the line is the one with the
// "hex:" prefix (text is what follows it), where a "\" may come before any byte. Each byte is
// one or two hexadecimal digits; ";" starts a comment; after a "\" only blanks and a comment
// may follow. A "\" that does not follow a comma, a comma at the start of a line, an empty
// field and a byte of three digits make the line unreadable.
ByteLineEnd ReadByteLine(std::string_view text, bool first, std::string& bytes);

}  // namespace regedit
