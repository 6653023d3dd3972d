// Seam: hashes through CryptoAPI (advapi32). Provider contexts and hash objects are the
// system's HCRYPTPROV and HCRYPTHASH values as std::uintptr_t, 0 for none.
#pragma once

#include <cstdint>
#include <string>

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

}  // namespace win32
