// Copying a hive's keys and values into the image's registry store, below the key that
// stands for the hive (HKEY_LOCAL_MACHINE\SOFTWARE, HKEY_USERS\<SID>, ...), so that every
// reader of the image finds the system's registry where Windows shows it.
#pragma once

#include <cstddef>
#include <string>

#include "platform/image/hive_file.h"
#include "platform/image/registry_store.h"

namespace platform {

struct HiveImportResult {
  bool ok = false;
  std::string error;  // what was wrong with the hive when not ok
  // Keys left out because their name, in the code page, is the same as a sibling's.
  std::size_t keysLeftOut = 0;
};

// Copies the hive's root values onto mount and its keys below it, inside the caller's
// transaction. A hive whose lists cannot be read, or whose keys lead back to one already
// copied, is refused.
HiveImportResult ImportHive(const HiveFile& hive, RegistryStore& store, KeyId mount);

}  // namespace platform
