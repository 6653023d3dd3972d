// Registry hives for tests: an empty hive written from the REGF layout (the base block, one
// bin, the root key and its security cell), filled with hivex from registry-editor text, and
// read back whole for comparisons.
#pragma once

#include <map>
#include <string>

namespace testing_support {

bool WriteEmptyHive(const std::string& path);

// Adds the keys and values of the text that lie below keyName (such as
// "HKEY_LOCAL_MACHINE\SOFTWARE") to the hive, keyName itself being the hive's root. False,
// with a message, when the text or the hive refuses.
bool FillHive(const std::string& path, const std::string& text, const std::string& keyName,
              std::string& error);

// Every key of the hive as "path" and every value as "path\\name" (the default value "@"),
// mapped to "type:hex bytes" (keys to ""); the root is "".
std::map<std::string, std::string> HiveContents(const std::string& path);

}  // namespace testing_support
