// Signatures of the Linux build, through OpenSSL's libcrypto.
#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <climits>
#include <memory>
#include <string>

#include "platform/signature.h"

namespace platform {
namespace {

struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct ContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

std::unique_ptr<EVP_PKEY, KeyFree> ReadPublicKey(std::string_view pem) {
  if (pem.size() > INT_MAX) return nullptr;
  BIO* memory = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
  if (!memory) return nullptr;
  std::unique_ptr<EVP_PKEY, KeyFree> key(PEM_read_bio_PUBKEY(memory, nullptr, nullptr, nullptr));
  BIO_free(memory);
  return key;
}

// The Base64 text's bytes: EVP_DecodeBlock counts the padding as zero bytes.
std::string Decoded(std::string_view base64) {
  if (base64.empty() || base64.size() % 4 != 0 || base64.size() > INT_MAX) return {};
  std::string bytes(base64.size() / 4 * 3, '\0');
  const int length = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(bytes.data()),
                                     reinterpret_cast<const unsigned char*>(base64.data()),
                                     static_cast<int>(base64.size()));
  if (length < 0) return {};
  std::size_t padding = 0;
  while (padding < 2 && base64[base64.size() - 1 - padding] == '=') ++padding;
  bytes.resize(static_cast<std::size_t>(length) - padding);
  return bytes;
}

}  // namespace

SignatureVerdict VerifySha256RsaSignature(std::string_view publicKey, std::string_view data,
                                          std::string_view signatureBase64) {
  const auto key = ReadPublicKey(publicKey);
  if (!key || EVP_PKEY_base_id(key.get()) != EVP_PKEY_RSA ||
      EVP_PKEY_bits(key.get()) < static_cast<int>(kSmallestTrustedKeyBits))
    return SignatureVerdict::UnusableKey;
  const std::string signature = Decoded(signatureBase64);
  if (signature.empty()) return SignatureVerdict::Invalid;
  std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
  // An RSA key's default padding is PKCS #1 v1.5.
  if (!context ||
      EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1)
    return SignatureVerdict::Invalid;
  const int verdict = EVP_DigestVerify(
      context.get(), reinterpret_cast<const unsigned char*>(signature.data()), signature.size(),
      reinterpret_cast<const unsigned char*>(data.data()), data.size());
  return verdict == 1 ? SignatureVerdict::Valid : SignatureVerdict::Invalid;
}

}  // namespace platform
