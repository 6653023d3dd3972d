#include "updater/update_fetch.h"

namespace updater {

using namespace platform;

Fetch::Fetch(Internet& internet, int connectTimeoutSeconds, std::function<bool()> stop)
    : internet_(internet), stop_(std::move(stop)) {
  session_ = internet_.InternetOpenA(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!session_) return;
  const DWORD timeout = static_cast<DWORD>(std::max(0, connectTimeoutSeconds)) * 1000;
  const DWORD retries = 3;
  internet_.InternetSetOptionA(session_, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
  internet_.InternetSetOptionA(session_, INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof retries);
  internet_.InternetSetOptionA(session_, INTERNET_OPTION_CANCEL_FLAG, &stop_, sizeof stop_);
}

Fetch::~Fetch() {
  if (stream_) internet_.InternetCloseHandle(stream_);
  if (session_) internet_.InternetCloseHandle(session_);
}

bool Fetch::Open(const std::string& url) {
  if (!session_) return false;
  stream_ = internet_.InternetOpenUrlA(session_, url.c_str(), nullptr, 0,
                                       INTERNET_FLAG_RELOAD | INTERNET_FLAG_TRANSFER_BINARY, 1);
  return stream_ != nullptr;
}

DWORD Fetch::Status() const {
  DWORD status = 0, length = sizeof status;
  if (!stream_ ||
      !internet_.HttpQueryInfoA(stream_, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                                &length, nullptr))
    return 0;
  return status;
}

bool Fetch::Read(char* buffer, DWORD size, DWORD& read) {
  read = 0;
  return stream_ && internet_.InternetReadFile(stream_, buffer, size, &read);
}

}  // namespace updater
