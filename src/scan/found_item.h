// One trace found on the machine, and its kinds. The kind numbers are stored in the ignore
// list file and must not change.
#pragma once

#include <cstdint>
#include <string>

#include "definitions/spyware_entry.h"
#include "platform/code_page.h"

namespace scan {

enum class FoundItemKind : std::int32_t {
  File = 1,
  Folder = 2,
  RegistryKey = 3,
  RegistryValue = 4,
  HostsEntry = 6,
  ChangedRegistryValue = 7,
};

struct FoundItem {
  bool selected = false;
  std::string text;
  const definitions::SpywareEntry* entry = nullptr;  // never null in a list
  FoundItemKind kind = FoundItemKind::File;
};

// Same kind and the same text without regard to case.
inline bool SameItem(const FoundItem& a, const FoundItem& b, const platform::CodePage& code) {
  return a.kind == b.kind && code.EqualNoCase(a.text, b.text);
}

// "File", "Folder", "RegistryKey", "RegistryValue", "HostsEntry", "ChangedRegistryValue"; empty
// for a number that is no kind.
const char* KindName(FoundItemKind kind);

}  // namespace scan
