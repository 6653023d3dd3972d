#include "platform/image/image_internet.h"

#include <curl/curl.h>
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/handles.h"
#include "platform/last_error.h"

namespace platform {
namespace {

constexpr const char* kDefaultAgent = "Vexmarl/Corvane";
// A paused transfer resumes once the reader has taken the body below this.
constexpr std::size_t kBufferLimit = 64 * 1024;
constexpr long kPollMilliseconds = 50;

struct Session : KernelObject {
  std::string agent;
  DWORD accessType = INTERNET_OPEN_TYPE_PRECONFIG;
  std::string proxy;
  long connectTimeoutMs = 60000;
  int connectRetries = 5;
  std::function<bool()> cancel;
};

// One response being received: the body arrives into a buffer that the reader empties, and
// the transfer pauses while the buffer is full.
struct UrlStream : KernelObject {
  CURLM* multi = curl_multi_init();
  CURL* easy = curl_easy_init();
  curl_slist* headers = nullptr;
  std::function<bool()> cancel;
  std::string body;
  std::size_t taken = 0;
  bool paused = false;
  bool headersEnded = false;
  bool redirected = false;  // the response being received names a place to go
  bool done = false;
  CURLcode result = CURLE_OK;

  ~UrlStream() override {
    if (multi && easy) curl_multi_remove_handle(multi, easy);
    if (easy) curl_easy_cleanup(easy);
    if (multi) curl_multi_cleanup(multi);
    if (headers) curl_slist_free_all(headers);
  }
  std::size_t Waiting() const { return body.size() - taken; }
  bool Cancelled() const { return cancel && cancel(); }

  // Runs the transfer until ready() holds or it ended; false when it was cancelled.
  template <typename Ready>
  bool Pump(Ready ready) {
    while (!ready() && !done) {
      if (Cancelled()) return false;
      int running = 0;
      curl_multi_perform(multi, &running);
      int left = 0;
      while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg != CURLMSG_DONE) continue;
        done = true;
        result = message->data.result;
      }
      if (ready() || done) break;
      curl_multi_poll(multi, nullptr, 0, kPollMilliseconds, nullptr);
    }
    return true;
  }
};

std::size_t Receive(char* data, std::size_t size, std::size_t count, void* user) {
  auto* stream = static_cast<UrlStream*>(user);
  if (stream->Waiting() >= kBufferLimit) {
    stream->paused = true;
    return CURL_WRITEFUNC_PAUSE;
  }
  if (stream->taken > 0 && stream->taken == stream->body.size()) {
    stream->body.clear();
    stream->taken = 0;
  }
  stream->body.append(data, size * count);
  return size * count;
}

// The end of a response's headers; a redirect that will be followed is not the response.
std::size_t Header(char* data, std::size_t size, std::size_t count, void* user) {
  auto* stream = static_cast<UrlStream*>(user);
  const std::size_t length = size * count;
  const std::string_view line(data, length);
  if (line.rfind("HTTP/", 0) == 0) stream->redirected = false;
  if (length > 9 && strncasecmp(data, "location:", 9) == 0) stream->redirected = true;
  if (length <= 2 && (length == 0 || data[0] == '\r' || data[0] == '\n')) {
    long status = 0;
    curl_easy_getinfo(stream->easy, CURLINFO_RESPONSE_CODE, &status);
    const bool followed = status >= 300 && status < 400 && stream->redirected;
    if (status >= 200 && !followed) stream->headersEnded = true;
  }
  return length;
}

DWORD ErrorOf(CURLcode code) {
  switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
      return ERROR_INTERNET_TIMEOUT;
    case CURLE_URL_MALFORMAT:
      return ERROR_INTERNET_INVALID_URL;
    case CURLE_UNSUPPORTED_PROTOCOL:
      return ERROR_INTERNET_UNRECOGNIZED_SCHEME;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT:
      return ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CACERT_BADFILE:
      return ERROR_INTERNET_SEC_CERT_ERRORS;
    case CURLE_ABORTED_BY_CALLBACK:
      return ERROR_INTERNET_OPERATION_CANCELLED;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
      return ERROR_INTERNET_CONNECTION_RESET;
    default:
      return ERROR_INTERNET_CONNECTION_ABORTED;
  }
}

bool IsConnectFailure(CURLcode code) {
  return code == CURLE_COULDNT_CONNECT || code == CURLE_OPERATION_TIMEDOUT;
}

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The machine's proxy: the server named in the settings while they enable it.
struct ProxySetting {
  bool named = false;
  std::string server, bypass;
};

ProxySetting ReadProxySetting(Registry& registry) {
  ProxySetting setting;
  HKEY key = nullptr;
  if (registry.RegOpenKeyExA(HKEY_CURRENT_USER, kInternetSettingsKey, 0, KEY_READ, &key) !=
      ERROR_SUCCESS)
    return setting;
  DWORD enabled = 0, size = sizeof enabled, type = 0;
  const bool on =
      registry.RegQueryValueExA(key, "ProxyEnable", nullptr, &type,
                                reinterpret_cast<BYTE*>(&enabled), &size) == ERROR_SUCCESS &&
      type == REG_DWORD && enabled != 0;
  auto text = [&](const char* name) {
    char buffer[1024] = {};
    DWORD length = sizeof buffer - 1;
    if (registry.RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                                  &length) != ERROR_SUCCESS)
      return std::string();
    return std::string(buffer, strnlen(buffer, length));
  };
  setting.server = text("ProxyServer");
  setting.bypass = text("ProxyOverride");
  registry.RegCloseKey(key);
  setting.named = on && !setting.server.empty();
  return setting;
}

// "http=host:port;https=..." names a proxy per scheme; a plain "host:port" serves all.
std::string ProxyFor(const std::string& server, const std::string& url) {
  if (server.find('=') == std::string::npos) return server;
  const std::string scheme = url.substr(0, url.find(':'));
  std::size_t at = 0;
  while (at <= server.size()) {
    const std::size_t end = std::min(server.find(';', at), server.size());
    const std::string part = server.substr(at, end - at);
    const std::size_t equals = part.find('=');
    if (equals != std::string::npos &&
        strcasecmp(part.substr(0, equals).c_str(), scheme.c_str()) == 0)
      return part.substr(equals + 1);
    at = end + 1;
  }
  return {};
}

}  // namespace

HINTERNET ImageInternet::InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR,
                                       DWORD) {
  GlobalInit();
  auto session = std::make_shared<Session>();
  session->agent = agent ? agent : kDefaultAgent;
  session->accessType = accessType;
  if (accessType == INTERNET_OPEN_TYPE_PROXY && proxy) session->proxy = proxy;
  return AddHandle(session);
}

BOOL ImageInternet::InternetSetOptionA(HINTERNET handle, DWORD option, const void* buffer,
                                       DWORD length) {
  auto session = LookUpHandleAs<Session>(handle);
  if (!session) return FALSE;
  if (option == INTERNET_OPTION_CANCEL_FLAG) {
    session->cancel = buffer ? *static_cast<const std::function<bool()>*>(buffer) : nullptr;
    return TRUE;
  }
  if (!buffer || length < sizeof(DWORD)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const DWORD value = *static_cast<const DWORD*>(buffer);
  if (option == INTERNET_OPTION_CONNECT_TIMEOUT) {
    session->connectTimeoutMs = static_cast<long>(value);
  } else if (option == INTERNET_OPTION_CONNECT_RETRIES) {
    session->connectRetries = static_cast<int>(value);
  } else {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}

BOOL ImageInternet::InternetQueryOptionA(HINTERNET handle, DWORD option, void* buffer,
                                         DWORD* length) {
  if (option != INTERNET_OPTION_PROXY || !length) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  INTERNET_PROXY_INFO info;
  std::string proxy, bypass;
  if (auto session = handle ? LookUpHandleAs<Session>(handle) : nullptr;
      session && session->accessType != INTERNET_OPEN_TYPE_PRECONFIG) {
    info.dwAccessType = session->accessType;
    proxy = session->proxy;
  } else {
    if (handle && !session) return FALSE;
    const ProxySetting setting = ReadProxySetting(registry_);
    info.dwAccessType = setting.named ? INTERNET_OPEN_TYPE_PROXY : INTERNET_OPEN_TYPE_DIRECT;
    proxy = setting.named ? setting.server : "";
    bypass = setting.named ? setting.bypass : "";
  }
  const DWORD needed = static_cast<DWORD>(sizeof info + proxy.size() + bypass.size() + 2);
  if (!buffer || *length < needed) {
    *length = needed;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  char* texts = static_cast<char*>(buffer) + sizeof info;
  std::memcpy(texts, proxy.c_str(), proxy.size() + 1);
  std::memcpy(texts + proxy.size() + 1, bypass.c_str(), bypass.size() + 1);
  info.lpszProxy = texts;
  info.lpszProxyBypass = texts + proxy.size() + 1;
  std::memcpy(buffer, &info, sizeof info);
  *length = needed;
  return TRUE;
}

HINTERNET ImageInternet::InternetOpenUrlA(HINTERNET handle, LPCSTR url, LPCSTR, DWORD, DWORD flags,
                                          std::uintptr_t) {
  auto session = LookUpHandleAs<Session>(handle);
  if (!session) return nullptr;
  if (!url || !*url) {
    SetLastError(ERROR_INTERNET_INVALID_URL);
    return nullptr;
  }
  std::string proxy = session->proxy;
  if (session->accessType == INTERNET_OPEN_TYPE_PRECONFIG) {
    const ProxySetting setting = ReadProxySetting(registry_);
    if (setting.named) proxy = ProxyFor(setting.server, url);
  }
  // A connection that cannot be made is tried again, as often as the session says.
  const int attempts = std::max(1, session->connectRetries);
  for (int attempt = 1;; ++attempt) {
    auto stream = std::make_shared<UrlStream>();
    if (!stream->multi || !stream->easy) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    stream->cancel = session->cancel;
    CURL* easy = stream->easy;
    curl_easy_setopt(easy, CURLOPT_URL, url);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, session->agent.c_str());
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, session->connectTimeoutMs);
    curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    // Only what the machine's settings say: the host's proxy variables play no part.
    curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str());
    if (flags & INTERNET_FLAG_RELOAD) {
      stream->headers = curl_slist_append(stream->headers, "Cache-Control: no-cache");
      stream->headers = curl_slist_append(stream->headers, "Pragma: no-cache");
      curl_easy_setopt(easy, CURLOPT_HTTPHEADER, stream->headers);
    }
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, Receive);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, stream.get());
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, Header);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, stream.get());
    curl_multi_add_handle(stream->multi, easy);
    if (!stream->Pump([&] { return stream->headersEnded; })) {
      SetLastError(ERROR_INTERNET_OPERATION_CANCELLED);
      return nullptr;
    }
    if (stream->headersEnded || (stream->done && stream->result == CURLE_OK))
      return AddHandle(stream);
    if (IsConnectFailure(stream->result) && attempt < attempts) continue;
    SetLastError(ErrorOf(stream->result));
    return nullptr;
  }
}

BOOL ImageInternet::InternetReadFile(HINTERNET handle, void* buffer, DWORD toRead, DWORD* read) {
  auto stream = LookUpHandleAs<UrlStream>(handle);
  if (!stream) return FALSE;
  if (read) *read = 0;
  if (!stream->Pump([&] { return stream->Waiting() > 0; })) {
    SetLastError(ERROR_INTERNET_OPERATION_CANCELLED);
    return FALSE;
  }
  if (stream->Waiting() == 0 && stream->done && stream->result != CURLE_OK) {
    SetLastError(ErrorOf(stream->result));
    return FALSE;
  }
  const std::size_t count = std::min<std::size_t>(toRead, stream->Waiting());
  std::memcpy(buffer, stream->body.data() + stream->taken, count);
  stream->taken += count;
  if (stream->paused && stream->Waiting() < kBufferLimit) {
    stream->paused = false;
    curl_easy_pause(stream->easy, CURLPAUSE_CONT);
  }
  if (read) *read = static_cast<DWORD>(count);
  return TRUE;
}

BOOL ImageInternet::HttpQueryInfoA(HINTERNET handle, DWORD infoLevel, void* buffer, DWORD* length,
                                   DWORD*) {
  auto stream = LookUpHandleAs<UrlStream>(handle);
  if (!stream) return FALSE;
  if (infoLevel != (HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER) || !buffer || !length ||
      *length < sizeof(DWORD)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  long status = 0;
  curl_easy_getinfo(stream->easy, CURLINFO_RESPONSE_CODE, &status);
  const DWORD value = static_cast<DWORD>(status);
  std::memcpy(buffer, &value, sizeof value);
  *length = sizeof value;
  return TRUE;
}

BOOL ImageInternet::InternetCloseHandle(HINTERNET handle) {
  if (!LookUpHandleAs<Session>(handle) && !LookUpHandleAs<UrlStream>(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return CloseHandle(handle);
}

}  // namespace platform
