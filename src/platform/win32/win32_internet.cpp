#include "platform/win32/win32_internet.h"

#include <functional>
#include <memory>
#include <mutex>

#include "platform/last_error.h"
#include "platform/win32/internet_calls.h"
#include "platform/win32/system_handles.h"

namespace platform {
namespace {

constexpr const char* kDefaultAgent = "Vexmarl/Corvane";

static_assert(sizeof(INTERNET_PROXY_INFO) == win32::kProxyInfoSize);

using CancelTest = std::function<bool()>;

// The session an address was opened in. A base of the entry ahead of its system handle, so
// that the address's handle is closed before its session's, as WinINet wants them closed,
// whatever order the program closes them in.
struct OpenedIn {
  std::shared_ptr<KernelObject> session;
};

// The table entry of an internet handle: the system's handle and the cancel flag.
class InternetEntry : public OpenedIn, public SystemHandle {
 public:
  InternetEntry(void* handle, std::shared_ptr<KernelObject> session,
                std::shared_ptr<const CancelTest> cancel)
      : OpenedIn{std::move(session)},
        SystemHandle(handle, SystemHandleKind::Internet),
        cancel_(std::move(cancel)) {}

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

 private:
  mutable std::mutex lock_;  // guards cancel_
  std::shared_ptr<const CancelTest> cancel_;
};

// The entry behind a handle of this service; null with ERROR_INVALID_HANDLE otherwise.
std::shared_ptr<InternetEntry> EntryOf(HINTERNET handle) {
  return LookUpHandleAs<InternetEntry>(handle);
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
  return AddHandle(std::make_shared<InternetEntry>(session, nullptr, nullptr));
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
  void* file = win32::OpenUncachedUrl(entry->Handle(), url, headers, headersLength, flags, context);
  if (!file) return nullptr;
  std::shared_ptr<const CancelTest> cancel = entry->Cancel();
  return AddHandle(std::make_shared<InternetEntry>(file, std::move(entry), std::move(cancel)));
}

BOOL Win32Internet::InternetReadFile(HINTERNET file, void* buffer, DWORD toRead, DWORD* read) {
  if (read) *read = 0;
  auto entry = EntryOf(file);
  if (!entry) return FALSE;
  // Checked at each block: a read the system has begun ends within its own time-outs.
  if (entry->Cancelled()) return Fail(ERROR_INTERNET_OPERATION_CANCELLED, FALSE);
  std::uint32_t count = 0;
  const bool done = win32::ReadInternetFile(entry->Handle(), buffer, toRead, &count);
  if (read) *read = count;
  return done ? TRUE : FALSE;
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
