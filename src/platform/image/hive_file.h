// A registry hive file of a Windows NT system (the REGF files under system32\config and each
// profile's NTUSER.DAT), read and changed through hivex. Key and value names and the data of
// the string types are converted here between the hive's UTF-16 and the image's code page, so
// what the rest of the image sees is the text it sees everywhere else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/code_page.h"

struct hive_h;  // hivex's handle

namespace platform {

class HiveFile {
 public:
  using Node = std::size_t;  // hivex's node handle; 0 is none

  struct Value {
    std::string name;  // in the code page; empty for the default value
    std::uint32_t type = 0;
    std::string data;  // as the hive holds it (string types in UTF-16)
    // The name as hivex read it, written back unchanged when the code page lacks some of
    // its characters; empty for a new value.
    std::string hiveName;
  };

  // Null, with hivex's reason in error, when the file is missing, unreadable or no hive.
  static std::unique_ptr<HiveFile> Open(const std::string& path, const CodePage& codePage,
                                        bool writable, std::string* error);
  ~HiveFile();
  HiveFile(const HiveFile&) = delete;
  HiveFile& operator=(const HiveFile&) = delete;

  Node Root() const;
  // When the hive was last written, as a FILETIME (from its header).
  std::int64_t LastWritten() const;
  // A key's name in the code page, or nothing when the hive cannot give it.
  std::optional<std::string> Name(Node node) const;
  std::int64_t Written(Node node) const;
  // Sub keys and values; nothing when the hive's lists are damaged.
  std::optional<std::vector<Node>> Children(Node node) const;
  std::optional<std::vector<Value>> Values(Node node) const;
  // The sub key of that name (any case), or 0.
  Node Child(Node node, const std::string& name) const;
  // The key at a path of names below node, or 0.
  Node Find(Node node, const std::vector<std::string>& path) const;
  // A value's data, or nothing when the key has no such value.
  std::optional<Value> FindValue(Node node, const std::string& name) const;

  // Changes, kept in memory until CommitTo writes the whole hive to a file.
  Node AddChild(Node parent, const std::string& name);
  bool DeleteKey(Node node);
  bool SetValues(Node node, const std::vector<Value>& values);
  bool CommitTo(const std::string& path);

  const CodePage& Code() const { return codePage_; }

 private:
  HiveFile(hive_h* hive, const CodePage& codePage) : hive_(hive), codePage_(codePage) {}
  std::string Utf8(const std::string& text) const;
  std::string FromUtf8(const char* text) const;

  hive_h* hive_;
  CodePage codePage_;
};

// The string types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) are UTF-16 in a hive and text of the
// code page in the image's store; other types are the same bytes in both.
bool IsStringType(std::uint32_t type);
std::string StoredData(const CodePage& codePage, std::uint32_t type, const std::string& hiveData);
std::string HiveData(const CodePage& codePage, std::uint32_t type, const std::string& storedData);

}  // namespace platform
