#include "platform/win32/crypto_calls.h"

#include "platform/win32/windows_door.h"

// After <windows.h>: CryptoAPI's declarations need its types.
#include <wincrypt.h>

namespace win32 {

static_assert(sizeof(HCRYPTPROV) == sizeof(std::uintptr_t));
static_assert(sizeof(HCRYPTHASH) == sizeof(std::uintptr_t));

namespace {

// CALG_SHA_256 (sub id 12), which the headers declare for XP SP3 and later only, and the
// door says XP.
constexpr ALG_ID kSha256 = ALG_CLASS_HASH | ALG_TYPE_ANY | 12;

}  // namespace

std::uintptr_t AcquireHashProvider(HashProviderType type) {
  HCRYPTPROV provider = 0;
  const DWORD kind = type == HashProviderType::RsaAes ? PROV_RSA_AES : PROV_RSA_FULL;
  if (!::CryptAcquireContextA(&provider, nullptr, nullptr, kind, CRYPT_VERIFYCONTEXT)) return 0;
  return provider;
}

void ReleaseHashProvider(std::uintptr_t provider) {
  ::CryptReleaseContext(provider, 0);
}

std::uintptr_t CreateHash(std::uintptr_t provider, HashAlgorithm algorithm) {
  HCRYPTHASH hash = 0;
  const ALG_ID id = algorithm == HashAlgorithm::Md5 ? CALG_MD5 : kSha256;
  if (!::CryptCreateHash(provider, id, 0, 0, &hash)) return 0;
  return hash;
}

bool HashData(std::uintptr_t hash, const void* data, std::uint32_t size) {
  return ::CryptHashData(hash, static_cast<const BYTE*>(data), size, 0) != FALSE;
}

bool HashValue(std::uintptr_t hash, std::string& value) {
  DWORD size = 0;
  DWORD sizeLength = sizeof size;
  if (!::CryptGetHashParam(hash, HP_HASHSIZE, reinterpret_cast<BYTE*>(&size), &sizeLength, 0))
    return false;
  value.assign(size, '\0');
  if (!::CryptGetHashParam(hash, HP_HASHVAL, reinterpret_cast<BYTE*>(value.data()), &size, 0)) {
    value.clear();
    return false;
  }
  value.resize(size);
  return true;
}

void DestroyHash(std::uintptr_t hash) {
  ::CryptDestroyHash(hash);
}

}  // namespace win32
