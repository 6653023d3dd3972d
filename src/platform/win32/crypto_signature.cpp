// Signatures of the Windows build, through CryptoAPI: the key decoded and imported by crypt32,
// the digest and the check by the RSA and AES provider.
#include <string>

#include "platform/signature.h"
#include "platform/win32/crypto_calls.h"
#include "platform/win32/crypto_provider.h"

namespace platform {

SignatureVerdict VerifySha256RsaSignature(std::string_view publicKey, std::string_view data,
                                          std::string_view signatureBase64) {
  const std::uintptr_t provider = win32_crypto::SharedProvider();
  std::string der;
  if (!provider || !win32::DecodeBase64(publicKey, true, der)) return SignatureVerdict::UnusableKey;
  unsigned bits = 0;
  const std::uintptr_t key = win32::ImportRsaPublicKey(provider, der, bits);
  if (!key) return SignatureVerdict::UnusableKey;
  SignatureVerdict verdict = SignatureVerdict::UnusableKey;
  std::string signature;
  if (bits >= kSmallestTrustedKeyBits) {
    verdict = SignatureVerdict::Invalid;
    const std::uintptr_t hash = win32::CreateHash(provider, win32::HashAlgorithm::Sha256);
    // Without SHA-256 (a provider before XP SP3) no signature can be trusted.
    if (!hash) {
      verdict = SignatureVerdict::UnusableKey;
    } else {
      if (win32::DecodeBase64(signatureBase64, false, signature) &&
          win32::HashData(hash, data.data(), static_cast<std::uint32_t>(data.size())) &&
          win32::VerifySignature(hash, signature, key))
        verdict = SignatureVerdict::Valid;
      win32::DestroyHash(hash);
    }
  }
  win32::DestroyKey(key);
  return verdict;
}

}  // namespace platform
