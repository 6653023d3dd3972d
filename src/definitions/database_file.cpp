#include "definitions/database_file.h"

#include <zlib.h>

namespace definitions {

const char* DescribeDatabaseFileError(DatabaseFileError error) {
  switch (error) {
    case DatabaseFileError::None:
      return "no error";
    case DatabaseFileError::Unreadable:
      return "the file cannot be read";
    case DatabaseFileError::ShortHeader:
      return "the file is shorter than its 4-byte length header";
    case DatabaseFileError::TooLong:
      return "the header gives a text longer than 5,242,880 bytes";
    case DatabaseFileError::NotCompressed:
      return "the body is not a compressed text of the length the header gives";
  }
  return "unknown error";
}

std::string NormalizeLineEnds(const std::string& text) {
  std::string normal;
  normal.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) normal += '\r';
    normal += text[i];
  }
  return normal;
}

namespace {

DatabaseFileError Decompress(const std::string& fileBytes, std::string& output) {
  if (fileBytes.size() < 4) return DatabaseFileError::ShortHeader;
  std::uint32_t length = 0;
  for (int i = 3; i >= 0; --i) length = length << 8 | static_cast<unsigned char>(fileBytes[i]);
  if (length > kLongestDatabaseText) return DatabaseFileError::TooLong;
  std::string body = fileBytes.substr(4);
  for (char& byte : body) byte = static_cast<char>(byte ^ kDatabaseKey);
  output.assign(static_cast<std::size_t>(length) + 1, '\0');
  uLongf actual = length;
  if (uncompress(reinterpret_cast<Bytef*>(output.data()), &actual,
                 reinterpret_cast<const Bytef*>(body.data()),
                 static_cast<uLong>(body.size())) != Z_OK)
    return DatabaseFileError::NotCompressed;
  output.resize(actual);
  return DatabaseFileError::None;
}

}  // namespace

DatabaseFileError UnpackDatabaseText(const std::string& fileBytes, std::string& text) {
  std::string output;
  if (DatabaseFileError error = Decompress(fileBytes, output); error != DatabaseFileError::None)
    return error;
  // The text ends at its first zero byte.
  if (std::size_t zero = output.find('\0'); zero != std::string::npos) output.resize(zero);
  text = NormalizeLineEnds(output);
  return DatabaseFileError::None;
}

std::string UnpackRawDatabaseText(const std::string& fileBytes) {
  std::string output;
  return Decompress(fileBytes, output) == DatabaseFileError::None ? output : std::string();
}

std::string PackDatabaseText(const std::string& text) {
  uLongf size = compressBound(static_cast<uLong>(text.size()));
  std::string packed(4 + size, '\0');
  compress(reinterpret_cast<Bytef*>(packed.data() + 4), &size,
           reinterpret_cast<const Bytef*>(text.data()), static_cast<uLong>(text.size()));
  packed.resize(4 + size);
  const std::uint32_t length = static_cast<std::uint32_t>(text.size());
  for (int i = 0; i < 4; ++i) packed[i] = static_cast<char>((length >> (8 * i)) & 0xFF);
  for (std::size_t i = 4; i < packed.size(); ++i)
    packed[i] = static_cast<char>(packed[i] ^ kDatabaseKey);
  return packed;
}

}  // namespace definitions
