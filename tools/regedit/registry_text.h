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

// Reads a whole file's text into the changes it asks for, in order, as the system's registry
// editor reads it: 8-bit or UTF-16 with a byte-order mark, lines ended by CR LF, LF or CR,
// comments after ";" or "#". A line or value it cannot read is passed over (and named in
// skipped) while the rest is taken; false, with a message, only when the text is not
// registry-editor text at all. Only hex values go on in further lines. In a
// "Windows Registry Editor Version 5.00" file the bytes of the string types (1, 2 and 7) are
// UTF-16 and become text of the code page, zeros inside them kept.
bool ParseRegistryText(const std::string& text, std::vector<RegistryChange>& changes,
                       std::string& error,
                       const platform::CodePage& code = platform::CodePage(1252),
                       std::vector<std::string>* skipped = nullptr);

// A key's full name as a "[...]" line or the export command gives it: the root's name in any
// case (or HKLM, HKCU, HKCR, HKU, HKCC), then a backslash and the path. False for an unknown root.
bool ReadKeyName(const std::string& full, platform::HKEY& root, std::string& path);

// The text of one value line: "name"=data, with the data in the form that reads back the
// same type and bytes, except where the system's editor writes otherwise: a string is quoted
// up to its first zero, so an unended one reads back ended.
// With unicode (a version 5.00 file) the bytes of string types are written as UTF-16.
std::string FormatValueLine(const std::string& name, platform::DWORD type, const std::string& data,
                            const platform::CodePage* unicode = nullptr);

}  // namespace regedit
