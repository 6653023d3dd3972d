// Digests of the Windows build, through CryptoAPI. The RSA and AES provider has SHA-256 from
// Windows XP SP3 on; where it is missing, the full RSA provider still makes MD5, and a
// SHA-256 digest reports itself unusable.
#include <algorithm>
#include <cstdint>

#include "platform/digest.h"
#include "platform/win32/crypto_calls.h"

namespace platform {

namespace {

// One provider context for the whole process, made at the first digest: acquiring one
// reads the registry each time, and hash objects of one context may live on any thread.
class HashProvider {
 public:
  HashProvider() {
    handle_ = win32::AcquireHashProvider(win32::HashProviderType::RsaAes);
    if (!handle_) handle_ = win32::AcquireHashProvider(win32::HashProviderType::RsaFull);
  }
  ~HashProvider() {
    if (handle_) win32::ReleaseHashProvider(handle_);
  }
  HashProvider(const HashProvider&) = delete;
  HashProvider& operator=(const HashProvider&) = delete;

  std::uintptr_t Handle() const { return handle_; }

 private:
  std::uintptr_t handle_ = 0;
};

std::uintptr_t SharedProvider() {
  static const HashProvider provider;
  return provider.Handle();
}

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
  if (const std::uintptr_t provider = SharedProvider()) {
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
