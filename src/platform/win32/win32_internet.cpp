#include "platform/win32/win32_internet.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/last_error.h"
#include "platform/win32/call_courier.h"
#include "platform/win32/internet_calls.h"
#include "platform/win32/system_handles.h"

namespace platform {
namespace {

constexpr const char* kDefaultAgent = "Vexmarl/Corvane";

static_assert(sizeof(INTERNET_PROXY_INFO) == win32::kProxyInfoSize);

using CancelTest = std::function<bool()>;

// Headers the system reads up to their terminating zero.
constexpr DWORD kTerminatedHeaders = ~DWORD{0};

// The session an address was opened in. A base of the entry ahead of its system handle, so
// that the address's handle is closed before its session's, as WinINet wants them closed,
// whatever order the program closes them in.
struct OpenedIn {
  std::shared_ptr<KernelObject> session;
};

// The table entry of an internet handle: the system's handle, the cancel flag, and the courier
// of its session, which makes the calls that wait for the network.
class InternetEntry : public OpenedIn, public SystemHandle {
 public:
  InternetEntry(void* handle, std::shared_ptr<KernelObject> session,
                std::shared_ptr<const CancelTest> cancel, std::shared_ptr<CallCourier> courier)
      : OpenedIn{std::move(session)},
        SystemHandle(handle, SystemHandleKind::Internet),
        cancel_(std::move(cancel)),
        courier_(std::move(courier)) {}

  void SetCancel(std::shared_ptr<const CancelTest> cancel) {
    std::lock_guard guard(lock_);
    cancel_ = std::move(cancel);
  }
  std::shared_ptr<const CancelTest> Cancel() const {
    std::lock_guard guard(lock_);
    return cancel_;
  }
  bool Cancelled() const {
    std::shared_ptr<const CancelTest> cancel = Cancel();
    return cancel && *cancel && (*cancel)();
  }

  // The length an address's answer announced for its body.
  void Announce(std::uint64_t length) {
    std::lock_guard guard(lock_);
    announced_ = length;
  }
  // The bytes of the body the system holds, ready to be read without a wait, as last told.
  std::uint32_t Held() const {
    std::lock_guard guard(lock_);
    return held_;
  }
  // A read of count bytes, after which the system holds that many more.
  void Received(std::uint32_t count, std::uint32_t held) {
    std::lock_guard guard(lock_);
    received_ += count;
    held_ = held;
  }
  // Whether the body ends before the length it announced.
  bool CutShort() const {
    std::lock_guard guard(lock_);
    return announced_ && received_ < *announced_;
  }

  const std::shared_ptr<CallCourier>& Courier() const { return courier_; }
  // Makes a call that may wait for the network: on the courier while a cancel flag is set, so
  // that the flag ends the wait, else here. False when the flag ended it; the call then goes
  // on alone and must keep everything it uses.
  bool MakeWaitingCall(std::function<void()> call) const {
    if (!Cancel()) {
      call();
      return true;
    }
    return courier_->Run(std::move(call), [this] { return Cancelled(); });
  }

 private:
  mutable std::mutex lock_;  // guards cancel_, announced_, received_ and held_
  std::shared_ptr<const CancelTest> cancel_;
  const std::shared_ptr<CallCourier> courier_;
  std::optional<std::uint64_t> announced_;
  std::uint64_t received_ = 0;
  std::uint32_t held_ = 0;
};

// The entry behind a handle of this service; null with ERROR_INVALID_HANDLE otherwise.
std::shared_ptr<InternetEntry> EntryOf(HINTERNET handle) {
  return LookUpHandleAs<InternetEntry>(handle);
}

// The length of the body an HTTP answer announces (Content-Length); nothing for an answer
// without one (chunked, or not HTTP) and for the statuses that have no body whatever it says.
std::optional<std::uint64_t> AnnouncedLength(void* file) {
  DWORD status = 0;
  std::uint32_t size = sizeof status;
  if (!win32::QueryHttpInfo(file, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                            nullptr) ||
      status < 200 || status == 204 || status == 304)
    return std::nullopt;
  char text[32];
  size = sizeof text;
  if (!win32::QueryHttpInfo(file, win32::kQueryContentLength, text, &size, nullptr) ||
      size >= sizeof text)
    return std::nullopt;
  std::uint64_t length = 0;
  const auto [end, error] = std::from_chars(text, text + size, length);
  if (error != std::errc() || end != text + size) return std::nullopt;
  return length;
}

bool KnownOption(DWORD option) {
  return option == INTERNET_OPTION_CONNECT_TIMEOUT || option == INTERNET_OPTION_CONNECT_RETRIES ||
         option == INTERNET_OPTION_PROXY;
}

}  // namespace

HINTERNET Win32Internet::InternetOpenA(LPCSTR agent, DWORD accessType, LPCSTR proxy,
                                       LPCSTR proxyBypass, DWORD flags) {
  void* session = win32::OpenInternetSession(agent ? agent : kDefaultAgent, accessType, proxy,
                                             proxyBypass, flags);
  if (!session) return nullptr;
  return AddHandle(
      std::make_shared<InternetEntry>(session, nullptr, nullptr, std::make_shared<CallCourier>()));
}

BOOL Win32Internet::InternetSetOptionA(HINTERNET handle, DWORD option, const void* buffer,
                                       DWORD length) {
  auto entry = EntryOf(handle);
  if (!entry) return FALSE;
  if (option == INTERNET_OPTION_CANCEL_FLAG) {
    entry->SetCancel(
        buffer ? std::make_shared<const CancelTest>(*static_cast<const CancelTest*>(buffer))
               : nullptr);
    return TRUE;
  }
  if (!KnownOption(option)) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  return win32::SetInternetOption(entry->Handle(), option, buffer, length) ? TRUE : FALSE;
}

BOOL Win32Internet::InternetQueryOptionA(HINTERNET handle, DWORD option, void* buffer,
                                         DWORD* length) {
  if (option != INTERNET_OPTION_PROXY || !length) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  void* system = nullptr;  // the system's own setting
  if (handle) {
    auto entry = EntryOf(handle);
    if (!entry) return FALSE;
    system = entry->Handle();
  }
  return win32::QueryInternetOption(system, option, buffer, length) ? TRUE : FALSE;
}

HINTERNET Win32Internet::InternetOpenUrlA(HINTERNET session, LPCSTR url, LPCSTR headers,
                                          DWORD headersLength, DWORD flags,
                                          std::uintptr_t context) {
  auto entry = EntryOf(session);
  if (!entry) return nullptr;
  if (entry->Cancelled()) return Fail(ERROR_INTERNET_OPERATION_CANCELLED, HINTERNET{nullptr});
  if (!url) return Fail(ERROR_INVALID_PARAMETER, HINTERNET{nullptr});
  // What the call takes and gives, its own: a cancelled caller leaves it to the call.
  struct Opening {
    std::string url, headers;
    std::mutex lock;  // guards file, error and abandoned
    void* file = nullptr;
    DWORD error = ERROR_SUCCESS;
    bool abandoned = false;
  };
  auto opening = std::make_shared<Opening>();
  opening->url = url;
  if (headers)
    opening->headers = headersLength == kTerminatedHeaders ? std::string(headers)
                                                           : std::string(headers, headersLength);
  void* system = entry->Handle();
  const bool ended =
      entry->MakeWaitingCall([opening, system, haveHeaders = headers != nullptr, flags, context] {
        void* file = win32::OpenUncachedUrl(
            system, opening->url.c_str(), haveHeaders ? opening->headers.c_str() : nullptr,
            static_cast<std::uint32_t>(opening->headers.size()), flags, context);
        const DWORD error = file ? ERROR_SUCCESS : GetLastError();
        std::lock_guard guard(opening->lock);
        if (opening->abandoned) {
          SystemHandle unwanted(file, SystemHandleKind::Internet);  // closes it
          return;
        }
        opening->file = file;
        opening->error = error;
      });
  std::unique_lock guard(opening->lock);
  if (!ended) {
    opening->abandoned = true;
    SystemHandle unwanted(opening->file, SystemHandleKind::Internet);  // closes it
    return Fail(ERROR_INTERNET_OPERATION_CANCELLED, HINTERNET{nullptr});
  }
  void* file = opening->file;
  if (!file) return Fail(opening->error, HINTERNET{nullptr});
  guard.unlock();
  std::shared_ptr<CallCourier> courier = entry->Courier();
  std::shared_ptr<const CancelTest> cancel = entry->Cancel();
  auto opened = std::make_shared<InternetEntry>(file, std::move(entry), std::move(cancel),
                                                std::move(courier));
  if (const std::optional<std::uint64_t> length = AnnouncedLength(file)) opened->Announce(*length);
  return AddHandle(std::move(opened));
}

BOOL Win32Internet::InternetReadFile(HINTERNET file, void* buffer, DWORD toRead, DWORD* read) {
  if (read) *read = 0;
  auto entry = EntryOf(file);
  if (!entry) return FALSE;
  if (entry->Cancelled()) return Fail(ERROR_INTERNET_OPERATION_CANCELLED, FALSE);
  void* system = entry->Handle();
  // The only wait is for the system to hold some of the body (none left means its end); what
  // it holds is then read at once.
  std::uint32_t held = entry->Held();
  if (held == 0 && toRead > 0) {
    struct Waiting {
      std::uint32_t held = 0;
      bool done = false;
      DWORD error = ERROR_SUCCESS;
    };
    auto waiting = std::make_shared<Waiting>();
    if (!entry->MakeWaitingCall([waiting, system] {
          waiting->done = win32::InternetDataHeld(system, &waiting->held);
          if (!waiting->done) waiting->error = GetLastError();
        }))
      return Fail(ERROR_INTERNET_OPERATION_CANCELLED, FALSE);
    if (!waiting->done) return Fail(waiting->error, FALSE);
    held = waiting->held;
  }
  std::uint32_t count = 0;
  if (!win32::ReadInternetFile(system, buffer, std::min(toRead, held), &count)) return FALSE;
  // WinINet ends a body the server cut short (it announced more, then closed the connection)
  // as if it were whole; the layer reports the break. A chunked body cut between its chunks
  // cannot be told from a whole one here.
  if (count == 0 && toRead > 0 && entry->CutShort())
    return Fail(ERROR_INTERNET_CONNECTION_RESET, FALSE);
  entry->Received(count, held - std::min(count, held));
  if (read) *read = count;
  return TRUE;
}

BOOL Win32Internet::HttpQueryInfoA(HINTERNET file, DWORD infoLevel, void* buffer, DWORD* length,
                                   DWORD* index) {
  auto entry = EntryOf(file);
  if (!entry) return FALSE;
  return win32::QueryHttpInfo(entry->Handle(), infoLevel, buffer, length, index) ? TRUE : FALSE;
}

BOOL Win32Internet::InternetCloseHandle(HINTERNET handle) {
  if (!EntryOf(handle)) return FALSE;
  return CloseHandle(handle);
}

}  // namespace platform
