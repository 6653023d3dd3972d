#include "foundation/md5_text.h"

#include "platform/digest.h"

namespace foundation {

namespace {

std::string HexText(const std::string& bytes) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (unsigned char byte : bytes) {
    text += kHex[byte >> 4];
    text += kHex[byte & 15];
  }
  return text;
}

std::string DigestOfText(platform::DigestKind kind, std::string_view text) {
  platform::Digest digest(kind);
  if (!digest.Update(text.data(), text.size())) return {};
  return HexText(digest.Finish());
}

std::optional<std::string> DigestOfFile(platform::DigestKind kind, platform::Files& files,
                                        const std::string& path) {
  using namespace platform;
  HANDLE file = files.CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  Digest digest(kind);
  char block[1024];
  DWORD count = 0;
  bool ok = digest.Usable();
  while (ok && (ok = files.ReadFile(file, block, sizeof block, &count, nullptr)) && count > 0)
    ok = digest.Update(block, count);
  CloseHandle(file);
  if (!ok) return std::nullopt;
  const std::string bytes = digest.Finish();
  if (bytes.empty()) return std::nullopt;
  return HexText(bytes);
}

}  // namespace

std::string Md5OfText(std::string_view text) {
  return DigestOfText(platform::DigestKind::Md5, text);
}

std::optional<std::string> Md5OfFile(platform::Files& files, const std::string& path) {
  return DigestOfFile(platform::DigestKind::Md5, files, path);
}

std::string Sha256OfText(std::string_view text) {
  return DigestOfText(platform::DigestKind::Sha256, text);
}

std::optional<std::string> Sha256OfFile(platform::Files& files, const std::string& path) {
  return DigestOfFile(platform::DigestKind::Sha256, files, path);
}

}  // namespace foundation
