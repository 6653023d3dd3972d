// Registry-editor text: the "REGEDIT4" and "Windows Registry Editor Version 5.00" files that
// the registry editor imports and exports.
#pragma once

#include <string>
#include <vector>

#include "platform/registry.h"

namespace regedit {

struct RegistryChange {
  enum class Kind { CreateKey, DeleteKey, SetValue, DeleteValue };
  Kind kind = Kind::CreateKey;
  platform::HKEY root = nullptr;
  std::string keyPath;
  std::string valueName;  // empty for the default value "@"
  platform::DWORD type = 0;
  std::string data;
  int line = 0;
};

// Reads a whole file's text into the changes it asks for, in order. False with a message
// naming the line when the text is not registry-editor text.
bool ParseRegistryText(const std::string& text, std::vector<RegistryChange>& changes,
                       std::string& error);

// The text of one value line: "name"=data, with the data in the form that reads back the
// same type and bytes.
std::string FormatValueLine(const std::string& name, platform::DWORD type, const std::string& data);

}  // namespace regedit
