// Seam: hashes and signature checks through CryptoAPI (advapi32, crypt32). Provider contexts,
// hash objects and keys are the system's HCRYPTPROV, HCRYPTHASH and HCRYPTKEY values as
// std::uintptr_t, 0 for none.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace win32 {

enum class HashProviderType { RsaAes, RsaFull };  // PROV_RSA_AES, PROV_RSA_FULL
enum class HashAlgorithm { Md5, Sha256 };         // CALG_MD5, CALG_SHA_256

// The type's default provider, for hashing only (CRYPT_VERIFYCONTEXT: no key container).
std::uintptr_t AcquireHashProvider(HashProviderType type);
void ReleaseHashProvider(std::uintptr_t provider);

// 0 when the provider has no such algorithm.
std::uintptr_t CreateHash(std::uintptr_t provider, HashAlgorithm algorithm);
bool HashData(std::uintptr_t hash, const void* data, std::uint32_t size);
// The digest's bytes (HP_HASHVAL); the hash takes no more data after it.
bool HashValue(std::uintptr_t hash, std::string& value);
void DestroyHash(std::uintptr_t hash);

// The bytes of a Base64 text, or of the block of a PEM text ("-----BEGIN ...") when pem.
bool DecodeBase64(std::string_view text, bool pem, std::string& bytes);
// An RSA public key from its DER SubjectPublicKeyInfo, with its length in bits; 0 when the
// bytes are no such key.
std::uintptr_t ImportRsaPublicKey(std::uintptr_t provider, const std::string& der, unsigned& bits);
void DestroyKey(std::uintptr_t key);
// Whether the signature (its bytes in the order a signer writes them, most significant
// first) was made over the hash's data with the key's private half, PKCS #1 v1.5.
bool VerifySignature(std::uintptr_t hash, const std::string& signature, std::uintptr_t key);

}  // namespace win32
