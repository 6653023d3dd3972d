// The in-memory model of one spyware program of the definitions database and the traces it
// leaves. Texts are held as prepared at load time: lower-cased and with macros expanded.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace definitions {

// Which roots a registry trace may be looked up under, first to fourth: the second admits
// HKEY_LOCAL_MACHINE and the fourth HKEY_CURRENT_USER when a changed value is restored.
using RootFlags = std::array<std::int32_t, 4>;

struct FolderTrace {
  std::string path;
};

struct ProcessTrace {
  std::string name;
  std::string digest;  // MD5 text of the program file, as written
};

struct FileTrace {
  std::string path;
  std::int32_t size = 0;  // 0: any size
};

struct RegistryKeyTrace {
  std::string keyPath;
  RootFlags flags{};
  bool found = false;  // by the last scan
};

struct RegistryValueTrace {
  std::string keyPath;
  std::string valueName;
  std::string expectedData;
  std::string fullText;
  RootFlags flags{};
  bool found = false;
};

struct ChangedValueTrace {
  std::string keyPath;
  std::string valueName;
  std::string oldValue;       // as written, macros expanded
  std::string lowerOldValue;  // lower-cased, macros expanded
  std::string newValue;       // the value to restore
  std::string fullText;       // key path \ value name \ lower-cased old value
  RootFlags flags{};
  bool found = false;
};

struct HostTrace {
  std::string host;
  bool found = false;
};

inline constexpr const char* kNoDescription = "No description available";

struct SpywareEntry {
  std::string name;
  std::string description;
  std::string category;
  std::string url;
  std::string cleaningScriptReference;
  std::vector<ProcessTrace> processes;
  std::vector<FolderTrace> folders;
  std::vector<FileTrace> files;
  std::vector<RegistryKeyTrace> registryKeys;
  std::vector<RegistryValueTrace> registryValues;
  std::vector<ChangedValueTrace> changedValues;
  std::vector<HostTrace> hosts;
  std::int32_t found = 0;
  std::string danger;  // a blank, then the level: " high"
};

}  // namespace definitions
