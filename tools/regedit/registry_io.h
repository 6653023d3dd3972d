// Importing registry-editor text into the registry and exporting keys as such text.
#pragma once

#include <string>

#include "platform/image/image_registry.h"

namespace regedit {

// Applies every change of the text as one transaction: all of them or, on any failure,
// none. False with a message in error.
bool ImportRegistryText(platform::ImageRegistry& registry, const std::string& text,
                        std::string& error);

// The text of a key and everything below it ("HKEY_LOCAL_MACHINE\SOFTWARE\x"), or of the
// whole registry when keyName is empty: "Windows Registry Editor Version 5.00" as UTF-16LE
// with a byte-order mark, or with banner4 "REGEDIT4" in the code page.
bool ExportRegistryText(platform::Registry& registry, const std::string& keyName, bool banner4,
                        std::string& text, std::string& error);

}  // namespace regedit
