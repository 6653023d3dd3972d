#include "vxdb/list_signing.h"

#include <openssl/evp.h>
#include <openssl/pem.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/signature.h"
#include "updater/list_signature.h"

namespace vxdb {
namespace {

struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct ContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

std::optional<std::string> Fail(std::string* error, const std::string& message) {
  if (error) *error = message;
  return std::nullopt;
}

}  // namespace

std::optional<std::string> SignatureFileFor(const std::string& keyPemPath, std::string_view list,
                                            long long issued, std::string* error) {
  std::FILE* file = std::fopen(keyPemPath.c_str(), "rb");
  if (!file) return Fail(error, "cannot read the key " + keyPemPath);
  std::unique_ptr<EVP_PKEY, KeyFree> key(PEM_read_PrivateKey(file, nullptr, nullptr, nullptr));
  std::fclose(file);
  if (!key || EVP_PKEY_base_id(key.get()) != EVP_PKEY_RSA)
    return Fail(error, keyPemPath + " holds no RSA private key in PEM form");
  if (EVP_PKEY_bits(key.get()) < static_cast<int>(platform::kSmallestTrustedKeyBits))
    return Fail(error, keyPemPath + " holds a key of " + std::to_string(EVP_PKEY_bits(key.get())) +
                           " bits; the program trusts no key below " +
                           std::to_string(platform::kSmallestTrustedKeyBits));
  updater::ListSignature signature;
  signature.issuedLine = updater::IssueTimeText(issued);
  const std::string signedBytes = updater::SignedBytes(signature, list);
  std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
  std::size_t length = 0;
  if (!context ||
      EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1 ||
      EVP_DigestSign(context.get(), nullptr, &length,
                     reinterpret_cast<const unsigned char*>(signedBytes.data()),
                     signedBytes.size()) != 1)
    return Fail(error, "the key cannot sign");
  std::vector<unsigned char> bytes(length);
  if (EVP_DigestSign(context.get(), bytes.data(), &length,
                     reinterpret_cast<const unsigned char*>(signedBytes.data()),
                     signedBytes.size()) != 1)
    return Fail(error, "the key cannot sign");
  std::string base64(4 * ((length + 2) / 3) + 1, '\0');
  const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(base64.data()), bytes.data(),
                                      static_cast<int>(length));
  base64.resize(static_cast<std::size_t>(written));
  return signature.issuedLine + "\n" + base64 + "\n";
}

}  // namespace vxdb
