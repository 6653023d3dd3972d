// The container of "database.db": a 4-byte little-endian length of the markup text, then a
// zlib stream (as compress writes it) with every byte combined with 0x5A.
#pragma once

#include <cstdint>
#include <string>

namespace definitions {

inline constexpr std::uint32_t kLongestDatabaseText = 5'242'880;
inline constexpr unsigned char kDatabaseKey = 0x5A;

enum class DatabaseFileError { None, Unreadable, ShortHeader, TooLong, NotCompressed };

// A one-line reason for people (the program itself shows no detail).
const char* DescribeDatabaseFileError(DatabaseFileError error);

// The markup text held by the file's bytes, up to its first zero byte and with every lone
// line feed made CR LF.
DatabaseFileError UnpackDatabaseText(const std::string& fileBytes, std::string& text);

// The decompressed text exactly as it was packed (no line-end change, zero bytes kept);
// empty when the bytes do not unpack.
std::string UnpackRawDatabaseText(const std::string& fileBytes);

// The file's bytes for a markup text, as the vendor writes them.
std::string PackDatabaseText(const std::string& text);

// Puts a carriage return before every line feed that does not follow one.
std::string NormalizeLineEnds(const std::string& text);

}  // namespace definitions
