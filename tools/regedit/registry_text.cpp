#include "registry_text.h"

#include <cctype>
#include <cstdio>
#include <optional>

#include "byte_list.h"

namespace regedit {

using namespace platform;

namespace {

constexpr const char* kBanner5 = "Windows Registry Editor Version 5.00";
constexpr const char* kBanner4 = "REGEDIT4";

std::string Trim(const std::string& text) {
  std::size_t start = text.find_first_not_of(" \t");
  if (start == std::string::npos) return {};
  std::size_t end = text.find_last_not_of(" \t");
  return text.substr(start, end - start + 1);
}

bool IsStringType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The file's text in the code page: a UTF-16 file (byte-order mark FF FE) is converted, a
// UTF-8 byte-order mark dropped.
std::string DecodeFile(const std::string& text, const CodePage& code) {
  if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) return text.substr(3);
  if (text.size() < 2 || text[0] != '\xFF' || text[1] != '\xFE') return text;
  return code.FromUtf16Bytes(std::string_view(text).substr(2));
}

// Lines ended by CR LF, LF or CR alone.
std::vector<std::string> PhysicalLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string current;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(current);
      current.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      current += c;
    }
  }
  if (!current.empty()) lines.push_back(current);
  return lines;
}

bool IsComment(const std::string& trimmed) {
  return !trimmed.empty() && (trimmed[0] == ';' || trimmed[0] == '#');
}

// Reads a quoted text starting at text[position] == '"'. A backslash takes the next character
// when that is a backslash or a quote; any other escape makes the text unreadable, as it
// does for the system's editor.
bool ReadQuoted(const std::string& text, std::size_t& position, std::string& out) {
  out.clear();
  for (++position; position < text.size(); ++position) {
    char c = text[position];
    if (c == '"') {
      ++position;
      return true;
    }
    if (c == '\\') {
      if (position + 1 >= text.size() || (text[position + 1] != '\\' && text[position + 1] != '"'))
        return false;
      c = text[++position];
    }
    out += c;
  }
  return false;
}

// The data text of a value without its comment: after a quoted text only a comment may
// follow; any other data ends at ";". Nothing when a quoted text is followed by other text.
std::optional<std::string> WithoutComment(const std::string& data) {
  if (!data.empty() && data[0] == '"') {
    std::size_t position = 0;
    std::string ignored;
    if (!ReadQuoted(data, position, ignored)) return data;  // unclosed: refused later
    const std::string rest = Trim(data.substr(position));
    if (!rest.empty() && rest[0] != ';') return std::nullopt;
    return data.substr(0, position);
  }
  return Trim(data.substr(0, data.find(';')));
}

// A string type's bytes as the code page holds them: UTF-16 in a version 5.00 file is
// converted, and a string that lacks its last zero gets it, as the system's editor adds it;
// an empty list stays empty.
void FinishStringData(RegistryChange& change, const CodePage& code, bool unicode) {
  if (!IsStringType(change.type)) return;
  if (unicode) change.data = code.FromUtf16Bytes(change.data);
  if (!change.data.empty() && change.data.back() != '\0') change.data.push_back('\0');
}

bool IsHexData(const std::string& text) {
  return text.compare(0, 4, "hex:") == 0 || text.compare(0, 4, "hex(") == 0;
}

// A hex value: its type from the prefix, then its byte list, which takes the next lines
// while a line ends in "\" after a comma. Blank lines and ";" comment lines inside the list
// are passed over; any other line that does not continue it is taken into it, so the value
// is refused and that line is not read for itself. index ends at the last line taken.
bool ReadHexData(const std::vector<std::string>& lines, std::size_t& index, const std::string& text,
                 RegistryChange& change) {
  std::size_t listStart;
  if (text.compare(0, 4, "hex:") == 0) {
    change.type = REG_BINARY;
    listStart = 4;
  } else {
    const std::size_t close = text.find("):", 4);
    if (close == std::string::npos) return false;
    const std::string number = text.substr(4, close - 4);
    // The type number is hexadecimal: "hex(a)" is type 10, "hex(10)" type 16.
    if (number.empty() || number.size() > 8 ||
        number.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
      return false;
    change.type = static_cast<DWORD>(std::stoul(number, nullptr, 16));
    listStart = close + 2;
  }
  change.kind = RegistryChange::Kind::SetValue;
  change.data.clear();
  ByteLineEnd end = ReadByteLine(std::string_view(text).substr(listStart), true, change.data);
  while (end == ByteLineEnd::Continued && index + 1 < lines.size()) {
    const std::string next = Trim(lines[++index]);
    if (next.empty() || next[0] == ';') continue;
    end = ReadByteLine(next, false, change.data);
  }
  return end != ByteLineEnd::Unreadable;  // a file may end with the "\"
}

// The data of a deletion, a quoted text or a dword, without its comment: none of them goes
// on in the next line.
bool ReadData(const std::string& text, RegistryChange& change) {
  if (text[0] == '-') {
    change.kind = RegistryChange::Kind::DeleteValue;
    return true;
  }
  change.kind = RegistryChange::Kind::SetValue;
  if (text[0] == '"') {
    std::size_t position = 0;
    if (!ReadQuoted(text, position, change.data) || !Trim(text.substr(position)).empty())
      return false;
    change.type = REG_SZ;
    change.data.push_back('\0');
    return true;
  }
  if (text.compare(0, 6, "dword:") == 0) {
    std::string digits = Trim(text.substr(6));
    if (digits.empty() || digits.size() > 8 ||
        digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
      return false;
    unsigned long value = std::stoul(digits, nullptr, 16);
    change.type = REG_DWORD;
    change.data.clear();
    for (int i = 0; i < 4; ++i) change.data += static_cast<char>((value >> (8 * i)) & 0xFF);
    return true;
  }
  return false;
}

}  // namespace

bool ReadKeyName(const std::string& full, HKEY& root, std::string& path) {
  std::size_t cut = full.find('\\');
  std::string rootName = full.substr(0, cut);
  for (char& c : rootName) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  path = cut == std::string::npos ? "" : full.substr(cut + 1);
  static const std::pair<const char*, const char*> kShort[] = {{"HKLM", "HKEY_LOCAL_MACHINE"},
                                                               {"HKCU", "HKEY_CURRENT_USER"},
                                                               {"HKCR", "HKEY_CLASSES_ROOT"},
                                                               {"HKU", "HKEY_USERS"},
                                                               {"HKCC", "HKEY_CURRENT_CONFIG"}};
  for (const auto& [abbreviation, name] : kShort) {
    if (rootName == abbreviation) rootName = name;
  }
  root = RootKeyFromName(rootName);
  return root != nullptr;
}

bool ParseRegistryText(const std::string& rawText, std::vector<RegistryChange>& changes,
                       std::string& error, const CodePage& code,
                       std::vector<std::string>* skipped) {
  changes.clear();
  const std::vector<std::string> lines = PhysicalLines(DecodeFile(rawText, code));
  enum class Section { None, Key, DeletedKey } section = Section::None;
  bool bannerSeen = false, unicode = false;
  HKEY root = nullptr;
  std::string keyPath;
  auto skip = [&](std::size_t index, const std::string& why) {
    if (skipped) skipped->push_back("line " + std::to_string(index + 1) + ": " + why);
  };
  for (std::size_t index = 0; index < lines.size(); ++index) {
    const std::string line = Trim(lines[index]);
    if (line.empty() || IsComment(line)) continue;
    if (!bannerSeen) {
      if (line != kBanner5 && line != kBanner4) {
        error = "line " + std::to_string(index + 1) + ": not a registry file: " + line;
        return false;
      }
      bannerSeen = true;
      unicode = line == kBanner5;
      continue;
    }
    if (line[0] == '[') {
      section = Section::None;
      const std::size_t close = line.rfind(']');
      if (close == std::string::npos) {
        skip(index, "no closing bracket: " + line);
        continue;
      }
      const bool remove = line.size() > 1 && line[1] == '-';
      const std::string full = line.substr(remove ? 2 : 1, close - (remove ? 2 : 1));
      if (!ReadKeyName(full, root, keyPath)) {
        skip(index, "unknown root key: " + full);
        continue;
      }
      RegistryChange change;
      change.kind = remove ? RegistryChange::Kind::DeleteKey : RegistryChange::Kind::CreateKey;
      change.root = root;
      change.keyPath = keyPath;
      change.line = static_cast<int>(index + 1);
      changes.push_back(change);
      section = remove ? Section::DeletedKey : Section::Key;
      continue;
    }

    // A value line: its name, "=", and its data, which may go on over further lines.
    RegistryChange change;
    change.line = static_cast<int>(index + 1);
    const std::size_t first = index;
    std::size_t position = 0;
    bool readable = true;
    if (line[0] == '@') {
      position = 1;
    } else if (line[0] != '"' || !ReadQuoted(line, position, change.valueName)) {
      readable = false;
    }
    std::string rest = readable ? Trim(line.substr(position)) : std::string();
    if (readable && (rest.empty() || rest[0] != '=')) readable = false;
    std::string text = readable ? Trim(rest.substr(1)) : std::string();
    // Only a hex value goes on in further lines; they are taken whatever the section.
    const bool hex = IsHexData(text);
    bool good = hex && ReadHexData(lines, index, text, change);
    if (!hex && readable) {
      const std::optional<std::string> data = WithoutComment(text);
      readable = data.has_value();
      text = data.value_or("");
      good = !text.empty() && ReadData(text, change);
    }
    if (!readable) {
      skip(first, "not understood: " + line);
      continue;
    }
    if (section == Section::DeletedKey) continue;  // values of a deleted key are ignored
    if (section == Section::None) {
      skip(first, "a value outside a key: " + line);
      continue;
    }
    if (text.empty()) continue;  // a type without a data text sets nothing
    if (!good) {
      skip(first, "bad value data: " + text);
      continue;
    }
    if (hex) FinishStringData(change, code, unicode);
    change.root = root;
    change.keyPath = keyPath;
    changes.push_back(change);
  }
  if (!bannerSeen) {
    error = "not a registry file: it is empty";
    return false;
  }
  return true;
}

std::string FormatValueLine(const std::string& name, DWORD type, const std::string& data,
                            const CodePage* unicode) {
  auto quote = [](const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
      if (c == '\\' || c == '"') quoted += '\\';
      quoted += c;
    }
    return quoted + "\"";
  };
  std::string line = name.empty() ? "@=" : quote(name) + "=";
  // The system's editor writes a string as a quoted text up to its first zero, whatever
  // follows; only one with a line break, which a quoted text cannot hold, is written as bytes.
  if (type == REG_SZ) {
    const std::string text = data.substr(0, data.find('\0'));
    if (text.find_first_of("\r\n") == std::string::npos) return line + quote(text);
  }
  if (type == REG_DWORD && data.size() == 4) {
    unsigned value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(data[i]);
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", value);
    return line + text;
  }
  char prefix[24];
  if (type == REG_BINARY) {
    std::snprintf(prefix, sizeof prefix, "hex:");
  } else {
    std::snprintf(prefix, sizeof prefix, "hex(%x):", type);
  }
  line += prefix;
  const std::string bytes = unicode && IsStringType(type) ? unicode->ToUtf16Bytes(data) : data;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x", static_cast<unsigned char>(bytes[i]));
    line += byte;
    if (i + 1 < bytes.size()) {
      line += ',';
      std::size_t lineStart = line.rfind('\n');
      std::size_t width = line.size() - (lineStart == std::string::npos ? 0 : lineStart + 1);
      if (width > 76) line += "\\\r\n  ";
    }
  }
  return line;
}

}  // namespace regedit
