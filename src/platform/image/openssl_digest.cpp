// Digests of the Linux build, through OpenSSL's libcrypto.
#include <openssl/evp.h>

#include "platform/digest.h"

namespace platform {

struct Digest::State {
  EVP_MD_CTX* context = nullptr;
  ~State() { EVP_MD_CTX_free(context); }
};

Digest::Digest(DigestKind kind) : state_(std::make_unique<State>()) {
  state_->context = EVP_MD_CTX_new();
  const EVP_MD* type = kind == DigestKind::Md5 ? EVP_md5() : EVP_sha256();
  if (state_->context && EVP_DigestInit_ex(state_->context, type, nullptr) != 1) {
    EVP_MD_CTX_free(state_->context);
    state_->context = nullptr;
  }
}

Digest::~Digest() = default;

bool Digest::Usable() const {
  return state_->context != nullptr;
}

bool Digest::Update(const void* data, std::size_t size) {
  return state_->context && EVP_DigestUpdate(state_->context, data, size) == 1;
}

std::string Digest::Finish() {
  if (!state_->context) return {};
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned length = 0;
  const bool done = EVP_DigestFinal_ex(state_->context, digest, &length) == 1;
  EVP_MD_CTX_free(state_->context);
  state_->context = nullptr;
  return done ? std::string(reinterpret_cast<const char*>(digest), length) : std::string();
}

}  // namespace platform
