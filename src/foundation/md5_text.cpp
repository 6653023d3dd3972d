#include "foundation/md5_text.h"

#include <openssl/evp.h>

#include <memory>

namespace foundation {

namespace {

using DigestContext = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

DigestContext NewDigest(const EVP_MD* kind) {
  DigestContext context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
  if (context && EVP_DigestInit_ex(context.get(), kind, nullptr) != 1) context.reset();
  return context;
}

std::string DigestOfText(const EVP_MD* kind, std::string_view text);
std::optional<std::string> DigestOfFile(const EVP_MD* kind, platform::Files& files,
                                        const std::string& path);

std::string Finish(EVP_MD_CTX* context) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned length = 0;
  EVP_DigestFinal_ex(context, digest, &length);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (unsigned i = 0; i < length; ++i) {
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 15];
  }
  return text;
}

}  // namespace

std::string Md5OfText(std::string_view text) {
  return DigestOfText(EVP_md5(), text);
}

std::optional<std::string> Md5OfFile(platform::Files& files, const std::string& path) {
  return DigestOfFile(EVP_md5(), files, path);
}

std::string Sha256OfText(std::string_view text) {
  return DigestOfText(EVP_sha256(), text);
}

std::optional<std::string> Sha256OfFile(platform::Files& files, const std::string& path) {
  return DigestOfFile(EVP_sha256(), files, path);
}

namespace {

std::string DigestOfText(const EVP_MD* kind, std::string_view text) {
  DigestContext context = NewDigest(kind);
  if (!context) return {};
  EVP_DigestUpdate(context.get(), text.data(), text.size());
  return Finish(context.get());
}

std::optional<std::string> DigestOfFile(const EVP_MD* kind, platform::Files& files,
                                        const std::string& path) {
  using namespace platform;
  HANDLE file = files.CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  DigestContext context = NewDigest(kind);
  char block[1024];
  DWORD count = 0;
  bool ok = context != nullptr;
  while (ok && (ok = files.ReadFile(file, block, sizeof block, &count, nullptr)) && count > 0)
    EVP_DigestUpdate(context.get(), block, count);
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return Finish(context.get());
}

}  // namespace
}  // namespace foundation
