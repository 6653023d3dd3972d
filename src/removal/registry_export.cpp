#include "removal/registry_export.h"

#include <cstdio>
#include <vector>

namespace removal {
namespace {

using platform::DWORD;
using platform::HKEY;

constexpr int kWindows2000Code = 103;
constexpr int kWindowsXpCode = 104;
constexpr std::size_t kBytesOnFirstLine = 22;  // then 21 a line
constexpr const char* kDataMarker = ":@:";

// The key's name buffer of the walk: longer names end that level as the system's would.
constexpr DWORD kKeyNameBufferSize = 1024;

bool IsStringType(DWORD type) {
  return type == platform::REG_SZ || type == platform::REG_EXPAND_SZ ||
         type == platform::REG_MULTI_SZ;
}

// A REG_SZ that reads back exactly from a quoted text: no line break inside, nothing after a
// terminating zero.
bool QuotableText(const std::string& bytes) {
  const std::size_t zero = bytes.find('\0');
  if (zero != std::string::npos && zero + 1 != bytes.size()) return false;
  return bytes.find_first_of("\r\n") == std::string::npos;
}

std::string Quoted(const std::string& text) {
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') quoted += '\\';
    quoted += c;
  }
  return quoted + "\"";
}

// The name is escaped like a string's data: the registry editor refuses a value whose name
// holds another escape, so a name such as a path would not come back otherwise.
std::string ValueLineStart(const std::string& name) {
  return name.empty() ? "@ = " : Quoted(name) + " = ";
}

}  // namespace

const char* RegistryBannerFor(int osVersionCode) {
  return osVersionCode == kWindows2000Code || osVersionCode == kWindowsXpCode ? kRegistryBanner5
                                                                              : kRegistryBanner4;
}

bool SplitValueItem(const std::string& text, ValueItemParts& parts) {
  std::string path = text;
  parts.dataMarker.clear();
  if (const std::size_t marker = path.find(kDataMarker, 1); marker != std::string::npos) {
    parts.dataMarker = path.substr(marker + 3);
    path.resize(marker);
  }
  const std::size_t cut = path.rfind('\\');
  if (cut == std::string::npos || cut == 0) return false;
  parts.keyPath = path.substr(0, cut);
  parts.valueName = path.substr(cut + 1);
  return true;
}

RegistryExport::RegistryExport(platform::Registry& registry, bool unicodeStrings, Writer write,
                               Writer logLine)
    : registry_(registry),
      unicodeStrings_(unicodeStrings),
      write_(std::move(write)),
      logLine_(std::move(logLine)) {}

void RegistryExport::ExportKeyTree(const std::string& keyPath) {
  // A path of nothing but backslashes would name a whole root.
  if (keyPath.find_first_not_of('\\') == std::string::npos) return;
  logLine_("<REGKEY RES = \"Exporting - " + keyPath + "\"/>");
  for (const char* rootName : kTraceRootNames) {
    HKEY start = nullptr;
    if (registry_.RegOpenKeyExA(platform::RootKeyFromName(rootName), keyPath.c_str(), 0,
                                platform::KEY_ENUMERATE_SUB_KEYS | platform::KEY_QUERY_VALUE,
                                &start) != platform::ERROR_SUCCESS)
      continue;
    std::string path = std::string(rootName) + "\\" + keyPath;
    write_("[" + path + "]\n");
    // The starting key's own values follow its header, so that a restore brings them back.
    DWORD longestName = 0, longestData = 0;
    if (registry_.RegQueryInfoKeyA(start, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, &longestName, &longestData, nullptr,
                                   nullptr) == platform::ERROR_SUCCESS)
      WriteValues(start, longestName, longestData);

    struct Level {
      HKEY key;
      DWORD index;
      std::string name;
    };
    std::vector<Level> stack;
    HKEY current = start;
    DWORD index = 0;
    for (;;) {
      char name[kKeyNameBufferSize];
      const platform::LONG status =
          current ? registry_.RegEnumKeyA(current, index, name, sizeof name)
                  : static_cast<platform::LONG>(platform::ERROR_INVALID_HANDLE);
      if (status == platform::ERROR_SUCCESS) {
        stack.push_back({current, index, name});
        path += "\\";
        path += name;
        ExportKeyValues(current, name, path);
        HKEY child = nullptr;
        if (registry_.RegOpenKeyExA(current, name, 0, platform::KEY_ENUMERATE_SUB_KEYS, &child) !=
            platform::ERROR_SUCCESS)
          child = nullptr;
        current = child;
        index = 0;
        continue;
      }
      if (status == static_cast<platform::LONG>(platform::ERROR_INVALID_HANDLE))
        write_("\nError\n");
      if (current) registry_.RegCloseKey(current);
      if (stack.empty()) break;
      current = stack.back().key;
      index = stack.back().index + 1;
      path.resize(path.size() - stack.back().name.size() - 1);
      stack.pop_back();
    }
  }
}

void RegistryExport::ExportKeyValues(HKEY parent, const std::string& name,
                                     const std::string& headerPath) {
  HKEY key = nullptr;
  if (registry_.RegOpenKeyExA(parent, name.c_str(), 0, platform::KEY_QUERY_VALUE, &key) !=
      platform::ERROR_SUCCESS)
    return;
  DWORD longestName = 0, longestData = 0;
  if (registry_.RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                 &longestName, &longestData, nullptr,
                                 nullptr) == platform::ERROR_SUCCESS) {
    write_("\n[" + headerPath + "]\n");
    WriteValues(key, longestName, longestData);
  }
  registry_.RegCloseKey(key);
}

void RegistryExport::WriteValues(HKEY key, DWORD longestName, DWORD longestData) {
  std::vector<char> name(longestName + 1);
  std::vector<platform::BYTE> data(longestData + 1);
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = static_cast<DWORD>(name.size());
    DWORD dataLength = static_cast<DWORD>(data.size());
    DWORD type = 0;
    if (registry_.RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type, data.data(),
                                &dataLength) != platform::ERROR_SUCCESS)
      break;
    write_(ValueLineStart(std::string(name.data(), nameLength)) +
           FormatValueData(type, data.data(), dataLength));
  }
}

void RegistryExport::ExportSingleValue(HKEY root, const std::string& rootName,
                                       const std::string& keyPath, const std::string& valueName) {
  HKEY key = nullptr;
  if (registry_.RegOpenKeyExA(root, keyPath.c_str(), 0, platform::KEY_QUERY_VALUE, &key) !=
      platform::ERROR_SUCCESS)
    return;
  // The value is read whole whatever its length, so that a long value is kept too.
  DWORD type = 0, size = 0;
  std::vector<platform::BYTE> data;
  platform::LONG status =
      registry_.RegQueryValueExA(key, valueName.c_str(), nullptr, &type, nullptr, &size);
  if (status == platform::ERROR_SUCCESS) {
    data.resize(size + 1);
    size = static_cast<DWORD>(data.size());
    status = registry_.RegQueryValueExA(key, valueName.c_str(), nullptr, &type, data.data(), &size);
  }
  registry_.RegCloseKey(key);
  if (status != platform::ERROR_SUCCESS) return;
  write_("\n[" + rootName + "\\" + keyPath + "]\n");
  const std::string line = ValueLineStart(valueName) + FormatValueData(type, data.data(), size);
  write_(line);
  std::string logged;
  for (char c : line)
    if (c != '"') logged += c;
  logLine_("<REGVALUE RES = \"" + logged + "\"/>");
}

std::string RegistryExport::FormatValueData(DWORD type, const platform::BYTE* data,
                                            DWORD length) const {
  const std::string bytes(reinterpret_cast<const char*>(data), length);
  if (type == platform::REG_SZ && QuotableText(bytes))
    return Quoted(bytes.substr(0, bytes.find('\0'))) + "\n";
  if (type == platform::REG_DWORD && length == 4) {
    const unsigned value =
        data[0] | data[1] << 8 | data[2] << 16 | static_cast<unsigned>(data[3]) << 24;
    char text[24];
    std::snprintf(text, sizeof text, "dword:%08x\n", value);
    return text;
  }
  if (type == platform::REG_BINARY) return "hex:" + ByteList(bytes);
  // Every other type, and values of those above that their short forms cannot hold, as a
  // byte list with the type number in hexadecimal, as the registry editor reads it.
  char prefix[24];
  std::snprintf(prefix, sizeof prefix, "hex(%x):", type);
  if (unicodeStrings_ && IsStringType(type)) {
    return prefix + ByteList(registry_.Code().ToUtf16Bytes(bytes));
  }
  return prefix + ByteList(bytes);
}

std::string RegistryExport::ByteList(const std::string& bytes) const {
  std::string list;
  list.reserve(bytes.size() * 3 + bytes.size() / 10 + 2);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x,", static_cast<unsigned char>(bytes[i]));
    list += byte;
    if (i > 0 && i % (kBytesOnFirstLine - 1) == 0 && i + 1 < bytes.size()) list += "\\\n";
  }
  return list + "\n";
}

}  // namespace removal
