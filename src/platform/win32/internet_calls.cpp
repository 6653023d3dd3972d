#include "platform/win32/internet_calls.h"

#include "platform/win32/windows_door.h"

// After <windows.h>: WinINet's declarations need its types.
#include <wininet.h>

namespace win32 {

static_assert(sizeof(INTERNET_PROXY_INFO) == kProxyInfoSize);
static_assert(HTTP_QUERY_CONTENT_LENGTH == kQueryContentLength);

void* OpenInternetSession(const char* agent, std::uint32_t accessType, const char* proxy,
                          const char* proxyBypass, std::uint32_t flags) {
  return ::InternetOpenA(agent, accessType, proxy, proxyBypass, flags);
}

bool SetInternetOption(void* handle, std::uint32_t option, const void* buffer,
                       std::uint32_t length) {
  return ::InternetSetOptionA(handle, option, const_cast<void*>(buffer), length) != FALSE;
}

bool QueryInternetOption(void* handle, std::uint32_t option, void* buffer, std::uint32_t* length) {
  DWORD size = *length;
  const BOOL done = ::InternetQueryOptionA(handle, option, buffer, &size);
  *length = size;  // the size needed when the buffer is short
  return done != FALSE;
}

void* OpenUncachedUrl(void* session, const char* url, const char* headers,
                      std::uint32_t headersLength, std::uint32_t flags, std::uintptr_t context) {
  return ::InternetOpenUrlA(session, url, headers, headersLength,
                            flags | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE,
                            context);
}

bool ReadInternetFile(void* file, void* buffer, std::uint32_t toRead, std::uint32_t* read) {
  DWORD count = 0;
  const BOOL done = ::InternetReadFile(file, buffer, toRead, &count);
  *read = count;
  return done != FALSE;
}

bool InternetDataHeld(void* file, std::uint32_t* held) {
  DWORD count = 0;
  const BOOL done = ::InternetQueryDataAvailable(file, &count, 0, 0);
  *held = count;
  return done != FALSE;
}

bool QueryHttpInfo(void* file, std::uint32_t infoLevel, void* buffer, std::uint32_t* length,
                   std::uint32_t* index) {
  DWORD size = length ? *length : 0, at = index ? *index : 0;
  const BOOL done =
      ::HttpQueryInfoA(file, infoLevel, buffer, length ? &size : nullptr, index ? &at : nullptr);
  if (length) *length = size;
  if (index) *index = at;
  return done != FALSE;
}

}  // namespace win32
