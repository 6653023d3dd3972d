// Reading and writing a whole file of the machine in one call.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"

namespace foundation {

// The file's bytes; nothing when it cannot be opened or read (the last error tells why).
std::optional<std::string> ReadWholeFile(platform::Files& files, const std::string& path);

// Writes the bytes as the file's whole content; disposition is CREATE_ALWAYS or CREATE_NEW.
bool WriteWholeFile(platform::Files& files, const std::string& path, const std::string& bytes,
                    platform::DWORD disposition = platform::CREATE_ALWAYS);

// Replaces the file's content as one step: the bytes go to a file beside it, which then takes
// its place, so that a failure leaves the old content whole. False when the new content could
// not be written (the old file is untouched) or could not take the old one's place.
bool ReplaceWholeFile(platform::Files& files, const std::string& path, const std::string& bytes);

// The lines of a text read in text mode: split at line feeds, a carriage return before one
// dropped; a last line without its end counts.
std::vector<std::string> TextLines(const std::string& text);

}  // namespace foundation
