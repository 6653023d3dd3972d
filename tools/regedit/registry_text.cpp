#include "registry_text.h"

#include <cctype>
#include <cstdio>

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

// Files saved as UTF-16 become 8-bit text: characters above 255 cannot be kept and become "?".
std::string Narrow(const std::string& text) {
  if (text.size() >= 3 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) return text.substr(3);
  if (text.size() < 2 || text[0] != '\xFF' || text[1] != '\xFE') return text;
  std::string narrow;
  for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
    unsigned unit = static_cast<unsigned char>(text[i]) |
                    static_cast<unsigned>(static_cast<unsigned char>(text[i + 1])) << 8;
    narrow += unit < 256 ? static_cast<char>(unit) : '?';
  }
  return narrow;
}

// Reads a quoted text starting at text[position] == '"'. A backslash takes the next
// character when that is a backslash or a quote; otherwise it stays, so that paths written
// without doubling still read as written.
bool ReadQuoted(const std::string& text, std::size_t& position, std::string& out) {
  out.clear();
  for (++position; position < text.size(); ++position) {
    char c = text[position];
    if (c == '"') {
      ++position;
      return true;
    }
    if (c == '\\' && position + 1 < text.size() &&
        (text[position + 1] == '\\' || text[position + 1] == '"')) {
      out += text[++position];
    } else {
      out += c;
    }
  }
  return false;
}

bool ReadBytes(const std::string& list, std::string& bytes) {
  bytes.clear();
  std::string digits;
  for (char c : list + ",") {
    if (c == ' ' || c == '\t') continue;
    if (c == ',') {
      if (digits.empty()) continue;  // a trailing comma
      if (digits.size() > 2) return false;
      bytes += static_cast<char>(std::stoul(digits, nullptr, 16));
      digits.clear();
    } else if (std::isxdigit(static_cast<unsigned char>(c))) {
      digits += c;
    } else {
      return false;
    }
  }
  return true;
}

bool IsStringType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::string Utf16Bytes(const std::string& text, const CodePage& code) {
  std::string bytes;
  for (char16_t unit : code.ToUtf16(text)) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::string FromUtf16Bytes(const std::string& bytes, const CodePage& code) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  return code.FromUtf16(units);
}

// unicode: the file is a version 5.00 file, whose string types hold UTF-16 bytes.
bool ReadData(const std::string& text, RegistryChange& change, const CodePage* unicode) {
  if (text == "-") {
    change.kind = RegistryChange::Kind::DeleteValue;
    return true;
  }
  change.kind = RegistryChange::Kind::SetValue;
  if (!text.empty() && text[0] == '"') {
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
  if (text.compare(0, 4, "hex:") == 0) {
    change.type = REG_BINARY;
    return ReadBytes(text.substr(4), change.data);
  }
  if (text.compare(0, 4, "hex(") == 0) {
    std::size_t close = text.find("):", 4);
    if (close == std::string::npos) return false;
    std::string number = text.substr(4, close - 4);
    if (number.empty() || number.size() > 8 ||
        number.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
      return false;
    // The type number is hexadecimal: "hex(a)" is type 10, "hex(10)" type 16.
    change.type = static_cast<DWORD>(std::stoul(number, nullptr, 16));
    if (!ReadBytes(text.substr(close + 2), change.data)) return false;
    if (unicode && IsStringType(change.type)) change.data = FromUtf16Bytes(change.data, *unicode);
    return true;
  }
  return false;
}

bool SplitKeyPath(const std::string& full, HKEY& root, std::string& path) {
  std::size_t cut = full.find('\\');
  std::string rootName = full.substr(0, cut);
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

std::vector<std::string> LogicalLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string current;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    current += current.empty() ? line : Trim(line);
    // A byte list goes on in the next line after ",\".
    std::string trimmed = Trim(current);
    if (trimmed.size() >= 2 && trimmed.compare(trimmed.size() - 2, 2, ",\\") == 0 &&
        start <= text.size()) {
      current = trimmed.substr(0, trimmed.size() - 1);
      lines.emplace_back();  // keeps line numbers: the joined line counts as blank
      continue;
    }
    lines.push_back(current);
    current.clear();
  }
  return lines;
}

}  // namespace

bool ParseRegistryText(const std::string& rawText, std::vector<RegistryChange>& changes,
                       std::string& error, const CodePage& code) {
  changes.clear();
  std::vector<std::string> lines = LogicalLines(Narrow(rawText));
  bool bannerSeen = false, inDeletedKey = false, inKey = false, unicode = false;
  HKEY root = nullptr;
  std::string keyPath;
  for (std::size_t index = 0; index < lines.size(); ++index) {
    const int number = static_cast<int>(index + 1);
    auto fail = [&](const std::string& what) {
      error = "line " + std::to_string(number) + ": " + what;
      return false;
    };
    std::string line = Trim(lines[index]);
    if (line.empty() || line[0] == ';') continue;
    if (!bannerSeen) {
      if (line != kBanner5 && line != kBanner4) return fail("not a registry file: " + line);
      bannerSeen = true;
      unicode = line == kBanner5;
      continue;
    }
    if (line[0] == '[') {
      std::size_t close = line.rfind(']');
      if (close == std::string::npos) return fail("no closing bracket: " + line);
      bool remove = line.size() > 1 && line[1] == '-';
      std::string full = line.substr(remove ? 2 : 1, close - (remove ? 2 : 1));
      if (!SplitKeyPath(full, root, keyPath)) return fail("unknown root key: " + full);
      RegistryChange change;
      change.kind = remove ? RegistryChange::Kind::DeleteKey : RegistryChange::Kind::CreateKey;
      change.root = root;
      change.keyPath = keyPath;
      change.line = number;
      changes.push_back(change);
      inKey = !remove;
      inDeletedKey = remove;
      continue;
    }
    RegistryChange change;
    change.line = number;
    std::size_t position = 0;
    if (line[0] == '@') {
      position = 1;
    } else if (line[0] == '"') {
      if (!ReadQuoted(line, position, change.valueName)) return fail("unclosed value name");
    } else {
      return fail("not understood: " + line);
    }
    if (inDeletedKey) return fail("a value in a key that is being deleted");
    if (!inKey) return fail("a value before any key");
    std::string rest = Trim(line.substr(position));
    if (rest.empty() || rest[0] != '=') return fail("no \"=\" after the value name");
    std::string data = Trim(rest.substr(1));
    if (data.empty()) continue;  // a type without a data text sets nothing
    if (!ReadData(data, change, unicode ? &code : nullptr)) return fail("bad value data: " + data);
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
  bool plainText = type == REG_SZ && !data.empty() && data.find('\0') == data.size() - 1;
  if (plainText) return line + quote(data.substr(0, data.size() - 1));
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
  const std::string bytes = unicode && IsStringType(type) ? Utf16Bytes(data, *unicode) : data;
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
