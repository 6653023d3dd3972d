// Digests of the Windows build, through CryptoAPI: a SHA-256 digest reports itself unusable
// where the system has only the full RSA provider.
#include <algorithm>
#include <cstdint>

#include "platform/digest.h"
#include "platform/win32/crypto_calls.h"
#include "platform/win32/crypto_provider.h"

namespace platform {

namespace {

// CryptHashData takes at most a DWORD's worth of bytes a call.
constexpr std::size_t kLargestPiece = std::size_t{1} << 30;

}  // namespace

struct Digest::State {
  std::uintptr_t hash = 0;
  ~State() {
    if (hash) win32::DestroyHash(hash);
  }
};

Digest::Digest(DigestKind kind) : state_(std::make_unique<State>()) {
  if (const std::uintptr_t provider = win32_crypto::SharedProvider()) {
    state_->hash =
        win32::CreateHash(provider, kind == DigestKind::Md5 ? win32::HashAlgorithm::Md5
                                                            : win32::HashAlgorithm::Sha256);
  }
}

Digest::~Digest() = default;

bool Digest::Usable() const {
  return state_->hash != 0;
}

bool Digest::Update(const void* data, std::size_t size) {
  if (!state_->hash) return false;
  const auto* bytes = static_cast<const unsigned char*>(data);
  do {
    const std::size_t piece = std::min(size, kLargestPiece);
    if (!win32::HashData(state_->hash, bytes, static_cast<std::uint32_t>(piece))) return false;
    bytes += piece;
    size -= piece;
  } while (size > 0);
  return true;
}

std::string Digest::Finish() {
  if (!state_->hash) return {};
  std::string value;
  const bool done = win32::HashValue(state_->hash, value);
  win32::DestroyHash(state_->hash);
  state_->hash = 0;
  return done ? value : std::string();
}

}  // namespace platform
