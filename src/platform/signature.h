// Signatures through the system's cryptography: whether the private half of a public RSA key
// signed some bytes, PKCS #1 v1.5 over their SHA-256 digest. Keys shorter than 3072 bits are
// not trusted.
#pragma once

#include <string_view>

namespace platform {

enum class SignatureVerdict {
  Valid,
  Invalid,      // another key's, over other bytes, or no signature at all
  UnusableKey,  // the key is no RSA public key in PEM form, or a short one
};

inline constexpr unsigned kSmallestTrustedKeyBits = 3072;

// publicKey: the key in PEM form ("-----BEGIN PUBLIC KEY-----" ...); signature: its bytes in
// Base64 (the caller has checked the alphabet and padding).
SignatureVerdict VerifySha256RsaSignature(std::string_view publicKey, std::string_view data,
                                          std::string_view signatureBase64);

}  // namespace platform
