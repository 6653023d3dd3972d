// Seam: WinINet's sessions, addresses opened as streams and their answers' headers, in plain
// types.
#pragma once

#include <cstdint>

namespace win32 {

// The size of the system's INTERNET_PROXY_INFO, which the platform's has the layout of: an
// access type and the addresses of two texts.
constexpr std::uint32_t kProxyInfoSize = 12;
// HTTP_QUERY_CONTENT_LENGTH: the length an answer announces for its body, as text.
constexpr std::uint32_t kQueryContentLength = 5;

// InternetOpenA; null with the error set.
void* OpenInternetSession(const char* agent, std::uint32_t accessType, const char* proxy,
                          const char* proxyBypass, std::uint32_t flags);
// InternetSetOptionA and InternetQueryOptionA, the buffers as the system has them.
bool SetInternetOption(void* handle, std::uint32_t option, const void* buffer,
                       std::uint32_t length);
bool QueryInternetOption(void* handle, std::uint32_t option, void* buffer, std::uint32_t* length);
// InternetOpenUrlA with INTERNET_FLAG_NO_CACHE_WRITE and INTERNET_FLAG_PRAGMA_NOCACHE added
// to the flags: the answer is neither kept in the system's cache nor taken from a cache on
// the way. Null with the error set.
void* OpenUncachedUrl(void* session, const char* url, const char* headers,
                      std::uint32_t headersLength, std::uint32_t flags, std::uintptr_t context);
bool ReadInternetFile(void* file, void* buffer, std::uint32_t toRead, std::uint32_t* read);
// InternetQueryDataAvailable: the bytes the system holds of the body, ready for a read that does
// not wait; it waits for some when it holds none, and 0 is the body's end.
bool InternetDataHeld(void* file, std::uint32_t* held);
// HttpQueryInfoA; length and index may be null as the system allows.
bool QueryHttpInfo(void* file, std::uint32_t infoLevel, void* buffer, std::uint32_t* length,
                   std::uint32_t* index);

}  // namespace win32
