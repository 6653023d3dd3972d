// The process's one CryptoAPI provider context, made at its first use: acquiring one reads
// the registry each time, and objects of one context may live on any thread. The RSA and
// AES provider has SHA-256 from Windows XP SP3 on; where it is missing, the full RSA provider
// still makes MD5.
#pragma once

#include <cstdint>

namespace platform::win32_crypto {

// 0 when the system has neither provider.
std::uintptr_t SharedProvider();

}  // namespace platform::win32_crypto
