#include "platform/win32/crypto_provider.h"

#include "platform/win32/crypto_calls.h"

namespace platform::win32_crypto {
namespace {

class Provider {
 public:
  Provider() {
    handle_ = win32::AcquireHashProvider(win32::HashProviderType::RsaAes);
    if (!handle_) handle_ = win32::AcquireHashProvider(win32::HashProviderType::RsaFull);
  }
  ~Provider() {
    if (handle_) win32::ReleaseHashProvider(handle_);
  }
  Provider(const Provider&) = delete;
  Provider& operator=(const Provider&) = delete;

  std::uintptr_t Handle() const { return handle_; }

 private:
  std::uintptr_t handle_ = 0;
};

}  // namespace

std::uintptr_t SharedProvider() {
  static const Provider provider;
  return provider.Handle();
}

}  // namespace platform::win32_crypto
