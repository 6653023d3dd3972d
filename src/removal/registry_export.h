// Registry keys and values written as registry-editor text, so that the quarantine can keep
// them and the registry editor can bring them back. The text goes to a writer with "\n" line
// ends (the file turns them into CR LF); what was exported is told through log lines.
#pragma once

#include <functional>
#include <string>

#include "platform/registry.h"

namespace removal {

inline constexpr const char* kRegistryBanner5 = "Windows Registry Editor Version 5.00";
inline constexpr const char* kRegistryBanner4 = "REGEDIT4";

// The banner the registry editor of the system expects: version 5.00 on Windows 2000 and XP
// (system codes 103 and 104), "REGEDIT4" on every other system.
const char* RegistryBannerFor(int osVersionCode);

// The four roots every export and every removal of a registry trace goes through, in order.
inline constexpr const char* kTraceRootNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",
                                                  "HKEY_LOCAL_MACHINE", "HKEY_USERS"};

// A registry value item's text: a key path and a value name, optionally followed by ":@:"
// and data. False when no backslash stands after the first character.
struct ValueItemParts {
  std::string keyPath, valueName;
  std::string dataMarker;  // the text after ":@:", empty without one
};
bool SplitValueItem(const std::string& text, ValueItemParts& parts);

class RegistryExport {
 public:
  using Writer = std::function<void(const std::string& text)>;

  // unicodeStrings: the file carries the version 5.00 banner, whose editor reads the bytes
  // of string types as UTF-16.
  RegistryExport(platform::Registry& registry, bool unicodeStrings, Writer write, Writer logLine);

  // The key with its values and everything below it, under each of the four roots.
  void ExportKeyTree(const std::string& keyPath);
  // One section with every value of parent\name, headed by headerPath.
  void ExportKeyValues(platform::HKEY parent, const std::string& name,
                       const std::string& headerPath);
  // One section with one value.
  void ExportSingleValue(platform::HKEY root, const std::string& rootName,
                         const std::string& keyPath, const std::string& valueName);

  // The data text of a value line, ending in "\n".
  std::string FormatValueData(platform::DWORD type, const platform::BYTE* data,
                              platform::DWORD length) const;

 private:
  void WriteValues(platform::HKEY key, platform::DWORD longestName, platform::DWORD longestData);
  std::string ByteList(const std::string& bytes) const;

  platform::Registry& registry_;
  bool unicodeStrings_;
  Writer write_;
  Writer logLine_;
};

}  // namespace removal
