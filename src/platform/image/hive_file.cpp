#include "platform/image/hive_file.h"

#include <hivex.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/registry.h"

namespace platform {

namespace {

// hivex hands out names in UTF-8; the image's texts are UTF-16 away from its code page.
std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const int length = byte < 0x80       ? 1
                       : byte >> 5 == 6  ? 2
                       : byte >> 4 == 14 ? 3
                       : byte >> 3 == 30 ? 4
                                         : 0;
    char32_t point = length == 1   ? byte
                     : length == 2 ? byte & 0x1F
                     : length == 3 ? byte & 0x0F
                                   : byte & 0x07;
    bool valid = length > 0 && i + length <= text.size();
    for (int k = 1; valid && k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      valid = next >> 6 == 2;
      point = point << 6 | (next & 0x3F);
    }
    if (!valid) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    i += length;
    if (point >= 0x10000) {
      point -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (point >> 10));
      out += static_cast<char16_t>(0xDC00 + (point & 0x3FF));
    } else {
      out += static_cast<char16_t>(point);
    }
  }
  return out;
}

}  // namespace

std::unique_ptr<HiveFile> HiveFile::Open(const std::string& path, const CodePage& codePage,
                                         bool writable, std::string* error) {
  errno = 0;
  hive_h* hive = hivex_open(path.c_str(), writable ? HIVEX_OPEN_WRITE : 0);
  if (!hive) {
    if (error) *error = errno ? std::strerror(errno) : "not a registry hive";
    return nullptr;
  }
  return std::unique_ptr<HiveFile>(new HiveFile(hive, codePage));
}

HiveFile::~HiveFile() {
  hivex_close(hive_);
}

std::string HiveFile::Utf8(const std::string& text) const {
  return codePage_.ToUtf8(text);
}

std::string HiveFile::FromUtf8(const char* text) const {
  return codePage_.FromUtf16(Utf8ToUtf16(text));
}

HiveFile::Node HiveFile::Root() const {
  return hivex_root(hive_);
}

std::int64_t HiveFile::LastWritten() const {
  return hivex_last_modified(hive_);
}

std::optional<std::string> HiveFile::Name(Node node) const {
  char* name = hivex_node_name(hive_, node);
  if (!name) return std::nullopt;
  std::string text = FromUtf8(name);
  std::free(name);
  return text;
}

std::int64_t HiveFile::Written(Node node) const {
  const std::int64_t written = hivex_node_timestamp(hive_, node);
  return written < 0 ? 0 : written;
}

std::optional<std::vector<HiveFile::Node>> HiveFile::Children(Node node) const {
  hive_node_h* list = hivex_node_children(hive_, node);
  if (!list) return std::nullopt;
  std::vector<Node> nodes;
  for (hive_node_h* at = list; *at; ++at) nodes.push_back(*at);
  std::free(list);
  return nodes;
}

std::optional<std::vector<HiveFile::Value>> HiveFile::Values(Node node) const {
  hive_value_h* list = hivex_node_values(hive_, node);
  if (!list) return std::nullopt;
  std::vector<Value> values;
  bool readable = true;
  for (hive_value_h* at = list; *at && readable; ++at) {
    char* key = hivex_value_key(hive_, *at);
    hive_type type;
    std::size_t length = 0;
    char* data = key ? hivex_value_value(hive_, *at, &type, &length) : nullptr;
    readable = data != nullptr;
    if (readable)
      values.push_back(
          Value{FromUtf8(key), static_cast<std::uint32_t>(type), std::string(data, length), key});
    std::free(key);
    std::free(data);
  }
  std::free(list);
  if (!readable) return std::nullopt;
  return values;
}

HiveFile::Node HiveFile::Child(Node node, const std::string& name) const {
  return hivex_node_get_child(hive_, node, Utf8(name).c_str());
}

HiveFile::Node HiveFile::Find(Node node, const std::vector<std::string>& path) const {
  for (const std::string& name : path) {
    if (!node) break;
    node = Child(node, name);
  }
  return node;
}

std::optional<HiveFile::Value> HiveFile::FindValue(Node node, const std::string& name) const {
  auto values = Values(node);
  if (!values) return std::nullopt;
  for (Value& value : *values)
    if (codePage_.EqualNoCase(value.name, name)) return std::move(value);
  return std::nullopt;
}

HiveFile::Node HiveFile::AddChild(Node parent, const std::string& name) {
  return hivex_node_add_child(hive_, parent, Utf8(name).c_str());
}

bool HiveFile::DeleteKey(Node node) {
  return hivex_node_delete_child(hive_, node) == 0;
}

bool HiveFile::SetValues(Node node, const std::vector<Value>& values) {
  std::vector<std::string> names;
  names.reserve(values.size());
  for (const Value& value : values)
    names.push_back(value.hiveName.empty() ? Utf8(value.name) : value.hiveName);
  std::vector<hive_set_value> set(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    set[i].key = names[i].data();
    set[i].t = static_cast<hive_type>(values[i].type);
    set[i].len = values[i].data.size();
    set[i].value = const_cast<char*>(values[i].data.data());
  }
  return hivex_node_set_values(hive_, node, set.size(), set.data(), 0) == 0;
}

bool HiveFile::CommitTo(const std::string& path) {
  return hivex_commit(hive_, path.c_str(), 0) == 0;
}

bool IsStringType(std::uint32_t type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::string StoredData(const CodePage& codePage, std::uint32_t type, const std::string& hiveData) {
  return IsStringType(type) ? codePage.FromUtf16Bytes(hiveData) : hiveData;
}

std::string HiveData(const CodePage& codePage, std::uint32_t type, const std::string& storedData) {
  return IsStringType(type) ? codePage.ToUtf16Bytes(storedData) : storedData;
}

}  // namespace platform
