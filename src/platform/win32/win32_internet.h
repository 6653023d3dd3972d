// The system's internet client, WinINet: sessions with the Internet Settings of the system (or
// a proxy of their own), addresses opened as streams read in blocks, and the layer's own
// cancel flag, which WinINet has not: in a session that has one, the calls that wait for the
// network are made on a thread of the session's (CallCourier), so that the flag ends a wait
// however long the server keeps silent. Nothing is served from or kept in a cache.
#pragma once

#include "platform/internet.h"

namespace platform {

class Win32Internet : public Internet {
 public:
  Win32Internet() = default;

  HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass,
                          DWORD flags) override;
  // INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_CONNECT_RETRIES and INTERNET_OPTION_PROXY
  // go to the system; INTERNET_OPTION_CANCEL_FLAG stays with the session's handle. Other
  // options are refused with ERROR_INVALID_PARAMETER, as on every machine of the layer.
  BOOL InternetSetOptionA(HINTERNET handle, DWORD option, const void* buffer,
                          DWORD length) override;
  // INTERNET_OPTION_PROXY only, as the system answers it.
  BOOL InternetQueryOptionA(HINTERNET handle, DWORD option, void* buffer, DWORD* length) override;
  // The address's handle keeps the session's cancel flag and keeps its session open.
  HINTERNET InternetOpenUrlA(HINTERNET session, LPCSTR url, LPCSTR headers, DWORD headersLength,
                             DWORD flags, std::uintptr_t context) override;
  // A body that ends before the length its answer announced fails at its end with
  // ERROR_INTERNET_CONNECTION_RESET: the connection broke.
  BOOL InternetReadFile(HINTERNET file, void* buffer, DWORD toRead, DWORD* read) override;
  BOOL HttpQueryInfoA(HINTERNET file, DWORD infoLevel, void* buffer, DWORD* length,
                      DWORD* index) override;
  BOOL InternetCloseHandle(HINTERNET handle) override;
};

}  // namespace platform
