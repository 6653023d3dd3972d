#include "platform/win32/crypto_calls.h"

#include <climits>

#include "platform/win32/windows_door.h"

// After <windows.h>: CryptoAPI's declarations need its types.
#include <wincrypt.h>

namespace win32 {

static_assert(sizeof(HCRYPTPROV) == sizeof(std::uintptr_t));
static_assert(sizeof(HCRYPTHASH) == sizeof(std::uintptr_t));
static_assert(sizeof(HCRYPTKEY) == sizeof(std::uintptr_t));

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

bool DecodeBase64(std::string_view text, bool pem, std::string& bytes) {
  bytes.clear();
  if (text.empty() || text.size() > UINT_MAX) return false;
  const DWORD format = pem ? CRYPT_STRING_BASE64HEADER : CRYPT_STRING_BASE64;
  const auto length = static_cast<DWORD>(text.size());
  DWORD size = 0;
  if (!::CryptStringToBinaryA(text.data(), length, format, nullptr, &size, nullptr, nullptr))
    return false;
  bytes.assign(size, '\0');
  if (!::CryptStringToBinaryA(text.data(), length, format, reinterpret_cast<BYTE*>(bytes.data()),
                              &size, nullptr, nullptr)) {
    bytes.clear();
    return false;
  }
  bytes.resize(size);
  return !bytes.empty();
}

std::uintptr_t ImportRsaPublicKey(std::uintptr_t provider, const std::string& der, unsigned& bits) {
  bits = 0;
  CERT_PUBLIC_KEY_INFO* info = nullptr;
  DWORD infoSize = 0;
  if (der.size() > UINT_MAX ||
      !::CryptDecodeObjectEx(
          X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, reinterpret_cast<const BYTE*>(der.data()),
          static_cast<DWORD>(der.size()), CRYPT_DECODE_ALLOC_FLAG, nullptr, &info, &infoSize))
    return 0;
  HCRYPTKEY key = 0;
  const bool rsa =
      info->Algorithm.pszObjId && std::string_view(info->Algorithm.pszObjId) == szOID_RSA_RSA;
  if (rsa && !::CryptImportPublicKeyInfo(provider, X509_ASN_ENCODING, info, &key)) key = 0;
  ::LocalFree(info);
  if (!key) return 0;
  DWORD length = 0, lengthSize = sizeof length;
  if (::CryptGetKeyParam(key, KP_KEYLEN, reinterpret_cast<BYTE*>(&length), &lengthSize, 0))
    bits = length;
  return key;
}

void DestroyKey(std::uintptr_t key) {
  ::CryptDestroyKey(key);
}

bool VerifySignature(std::uintptr_t hash, const std::string& signature, std::uintptr_t key) {
  if (signature.empty() || signature.size() > UINT_MAX) return false;
  // CryptoAPI takes the signature's bytes least significant first.
  std::string reversed(signature.rbegin(), signature.rend());
  return ::CryptVerifySignatureA(hash, reinterpret_cast<const BYTE*>(reversed.data()),
                                 static_cast<DWORD>(reversed.size()), key, nullptr, 0) != FALSE;
}

}  // namespace win32
