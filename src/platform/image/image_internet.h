// The internet client of a machine image: HTTP and HTTPS through libcurl, with the proxy
// that the image's Internet Settings name. Every request has a connection of its own and
// nothing is served from a cache.
#pragma once

#include "platform/internet.h"
#include "platform/registry.h"

namespace platform {

class ImageInternet : public Internet {
 public:
  explicit ImageInternet(Registry& registry) : registry_(registry) {}

  HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass,
                          DWORD flags) override;
  BOOL InternetSetOptionA(HINTERNET handle, DWORD option, const void* buffer,
                          DWORD length) override;
  BOOL InternetQueryOptionA(HINTERNET handle, DWORD option, void* buffer, DWORD* length) override;
  HINTERNET InternetOpenUrlA(HINTERNET session, LPCSTR url, LPCSTR headers, DWORD headersLength,
                             DWORD flags, std::uintptr_t context) override;
  BOOL InternetReadFile(HINTERNET file, void* buffer, DWORD toRead, DWORD* read) override;
  BOOL HttpQueryInfoA(HINTERNET file, DWORD infoLevel, void* buffer, DWORD* length,
                      DWORD* index) override;
  BOOL InternetCloseHandle(HINTERNET handle) override;

 private:
  Registry& registry_;
};

}  // namespace platform
