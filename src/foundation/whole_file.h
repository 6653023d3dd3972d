// Reading and writing a whole file of the machine in one call.
#pragma once

#include <optional>
#include <string>

#include "platform/files.h"

namespace foundation {

// The file's bytes; nothing when it cannot be opened or read (the last error tells why).
std::optional<std::string> ReadWholeFile(platform::Files& files, const std::string& path);

// Writes the bytes as the file's whole content; disposition is CREATE_ALWAYS or CREATE_NEW.
bool WriteWholeFile(platform::Files& files, const std::string& path, const std::string& bytes,
                    platform::DWORD disposition = platform::CREATE_ALWAYS);

}  // namespace foundation
