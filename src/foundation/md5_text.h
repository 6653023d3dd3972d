// MD5 and SHA-256 digests in their text form: 32 or 64 lower-case hexadecimal digits.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace foundation {

// The digest of the text's bytes.
std::string Md5OfText(std::string_view text);

// The digest of the file's bytes, read in blocks of 1024; nothing when the file cannot be
// opened or read.
std::optional<std::string> Md5OfFile(platform::Files& files, const std::string& path);

std::string Sha256OfText(std::string_view text);
std::optional<std::string> Sha256OfFile(platform::Files& files, const std::string& path);

}  // namespace foundation
