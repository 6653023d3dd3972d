// The machine's internet client, shaped after the system's internet library: sessions with
// their options, addresses opened as streams that are read in blocks, and the proxy that the
// machine's Internet Settings name.
#pragma once

#include <cstdint>

#include "platform/win32_types.h"

namespace platform {

using HINTERNET = HANDLE;

constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = 0;  // as the machine's Internet Settings say
constexpr DWORD INTERNET_OPEN_TYPE_DIRECT = 1;
constexpr DWORD INTERNET_OPEN_TYPE_PROXY = 3;

constexpr DWORD INTERNET_OPTION_CONNECT_TIMEOUT = 2;  // milliseconds
constexpr DWORD INTERNET_OPTION_CONNECT_RETRIES = 3;
constexpr DWORD INTERNET_OPTION_PROXY = 38;
// This layer's own option: the address of a std::function<bool()> (copied) that, once it
// answers true, stops the session's transfers at their next step with
// ERROR_INTERNET_OPERATION_CANCELLED.
constexpr DWORD INTERNET_OPTION_CANCEL_FLAG = 0x7F000001;

constexpr DWORD INTERNET_FLAG_RELOAD = 0x80000000;
constexpr DWORD INTERNET_FLAG_TRANSFER_BINARY = 0x00000002;

constexpr DWORD HTTP_QUERY_STATUS_CODE = 19;
constexpr DWORD HTTP_QUERY_FLAG_NUMBER = 0x20000000;

constexpr DWORD ERROR_INTERNET_TIMEOUT = 12002;
constexpr DWORD ERROR_INTERNET_INTERNAL_ERROR = 12004;
constexpr DWORD ERROR_INTERNET_INVALID_URL = 12005;
constexpr DWORD ERROR_INTERNET_UNRECOGNIZED_SCHEME = 12006;
constexpr DWORD ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
constexpr DWORD ERROR_INTERNET_OPERATION_CANCELLED = 12017;
constexpr DWORD ERROR_INTERNET_INCORRECT_HANDLE_TYPE = 12018;
constexpr DWORD ERROR_INTERNET_CANNOT_CONNECT = 12029;
constexpr DWORD ERROR_INTERNET_CONNECTION_ABORTED = 12030;
constexpr DWORD ERROR_INTERNET_CONNECTION_RESET = 12031;
constexpr DWORD ERROR_INTERNET_SEC_CERT_ERRORS = 12055;

struct INTERNET_PROXY_INFO {
  DWORD dwAccessType = INTERNET_OPEN_TYPE_DIRECT;
  LPCSTR lpszProxy = nullptr;
  LPCSTR lpszProxyBypass = nullptr;
};

// Where the machine keeps its proxy setting, below HKEY_CURRENT_USER.
inline constexpr const char* kInternetSettingsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

class Internet {
 public:
  virtual ~Internet() = default;

  // A session. With INTERNET_OPEN_TYPE_PRECONFIG its requests go through the proxy the
  // machine's settings name, if any; agent null gives the layer's own user-agent text.
  virtual HINTERNET InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass,
                                  DWORD flags) = 0;
  virtual BOOL InternetSetOptionA(HINTERNET handle, DWORD option, const void* buffer,
                                  DWORD length) = 0;
  // INTERNET_OPTION_PROXY with a null handle: the machine's setting, as an INTERNET_PROXY_INFO
  // followed by its texts in the same buffer.
  virtual BOOL InternetQueryOptionA(HINTERNET handle, DWORD option, void* buffer,
                                    DWORD* length) = 0;
  // Requests the address and waits for the response to begin (redirects are followed); null
  // with the last error set when no response came.
  virtual HINTERNET InternetOpenUrlA(HINTERNET session, LPCSTR url, LPCSTR headers,
                                     DWORD headersLength, DWORD flags, std::uintptr_t context) = 0;
  // Reads up to toRead bytes of the body; *read is 0 at its end. FALSE with the last error set
  // when the connection broke or the transfer was cancelled.
  virtual BOOL InternetReadFile(HINTERNET file, void* buffer, DWORD toRead, DWORD* read) = 0;
  virtual BOOL HttpQueryInfoA(HINTERNET file, DWORD infoLevel, void* buffer, DWORD* length,
                              DWORD* index) = 0;
  virtual BOOL InternetCloseHandle(HINTERNET handle) = 0;
};

}  // namespace platform
