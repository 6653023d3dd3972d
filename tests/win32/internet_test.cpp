// The internet client of the Windows system, WinINet, against a tiny HTTP server of the test's
// own on 127.0.0.1: a body read in blocks with its status, a body cut short, the layer's cancel
// flag, also for a server that stops answering, and a connection refused.
#include "platform/win32/win32_internet.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "internet_test_calls.h"
#include "platform/last_error.h"

namespace platform {
namespace {

constexpr unsigned kPollMilliseconds = 50;
// Longer than a cancelled call may take to return.
constexpr unsigned kHoldMilliseconds = 5000;
constexpr auto kLongestCancelledCall = std::chrono::milliseconds(2000);
constexpr std::size_t kBodySize = 10000;
constexpr DWORD kBlockSize = 4096;

// A body whose every block differs, so that a block read twice or left out shows.
std::string Body() {
  std::string body;
  for (std::size_t i = 0; i < kBodySize; ++i) body += static_cast<char>('a' + i % 23);
  return body;
}

std::string Response(const std::string& statusLine, const std::string& body) {
  return statusLine + "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n\r\n" + body;
}

// Answers every request on 127.0.0.1 with one response, from a thread of its own, until it
// ends; keeps the requests it was sent. A server that holds on sends nothing more after the
// response and closes the connection only after that long (or when it ends).
class TinyServer {
 public:
  explicit TinyServer(std::string response, unsigned holdMilliseconds = 0)
      : response_(std::move(response)) {
    listener_ = win32::ListenOnLoopback(&port_);
    if (listener_ == win32::kNoSocket) return;
    thread_ = std::thread([this, holdMilliseconds] {
      while (!stop_) {
        if (!win32::ConnectionWaiting(listener_, kPollMilliseconds)) continue;
        std::string request;
        const std::uintptr_t connection = win32::AcceptRequest(listener_, &request);
        if (connection == win32::kNoSocket) continue;
        {
          std::lock_guard guard(lock_);
          requests_.push_back(request);
        }
        if (holdMilliseconds == 0) {
          win32::SendResponse(connection, response_);
          continue;
        }
        win32::SendBytes(connection, response_);
        for (unsigned held = 0; held < holdMilliseconds && !stop_; held += kPollMilliseconds)
          std::this_thread::sleep_for(std::chrono::milliseconds(kPollMilliseconds));
        win32::CloseSocket(connection);
      }
    });
  }
  ~TinyServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ != win32::kNoSocket) win32::CloseSocket(listener_);
  }
  TinyServer(const TinyServer&) = delete;
  TinyServer& operator=(const TinyServer&) = delete;

  bool Listening() const { return listener_ != win32::kNoSocket; }
  std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/update.txt"; }
  std::vector<std::string> Requests() {
    std::lock_guard guard(lock_);
    return requests_;
  }

 private:
  std::string response_;
  std::uintptr_t listener_ = win32::kNoSocket;
  unsigned short port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::mutex lock_;  // guards requests_
  std::vector<std::string> requests_;
};

class Win32InternetTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(win32::StartSockets()); }
  void TearDown() override { win32::EndSockets(); }

  HINTERNET OpenUrl(HINTERNET session, const std::string& url) {
    return internet_.InternetOpenUrlA(session, url.c_str(), nullptr, 0,
                                      INTERNET_FLAG_RELOAD | INTERNET_FLAG_TRANSFER_BINARY, 1);
  }

  Win32Internet internet_;
};

TEST_F(Win32InternetTest, BodyIsReadInBlocksWithTheStatusEvenAfterTheSessionIsClosed) {
  const std::string body = Body();
  // A status other than the usual 200 shows that the system's answer is passed on.
  TinyServer server(Response("HTTP/1.1 201 Created", body));
  ASSERT_TRUE(server.Listening());
  HINTERNET session =
      internet_.InternetOpenA(nullptr, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  ASSERT_NE(session, nullptr);
  HINTERNET file = OpenUrl(session, server.Url());
  ASSERT_NE(file, nullptr) << GetLastError();
  // The address's handle does not depend on the program closing it before its session.
  EXPECT_TRUE(internet_.InternetCloseHandle(session));

  DWORD status = 0, length = sizeof status;
  EXPECT_TRUE(internet_.HttpQueryInfoA(file, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER,
                                       &status, &length, nullptr));
  EXPECT_EQ(status, 201u);

  std::string received;
  std::size_t blocks = 0;
  char block[kBlockSize];
  for (;;) {
    DWORD read = 0;
    ASSERT_TRUE(internet_.InternetReadFile(file, block, sizeof block, &read)) << GetLastError();
    ASSERT_LE(read, kBlockSize);
    if (read == 0) break;
    received.append(block, read);
    ++blocks;
  }
  EXPECT_TRUE(received == body) << received.size() << " bytes received";
  EXPECT_GE(blocks, 3u);
  EXPECT_TRUE(internet_.InternetCloseHandle(file));
  EXPECT_FALSE(internet_.InternetCloseHandle(file));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

  // Without an agent of its own, the session names the layer's.
  const std::vector<std::string> requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_NE(requests[0].find("\r\nUser-Agent: Vexmarl/Corvane\r\n"), std::string::npos)
      << requests[0];
}

TEST_F(Win32InternetTest, ABodyCutShortOfItsAnnouncedLengthFailsAtItsEnd) {
  // The server announces the whole body, sends half of it and closes the connection.
  const std::string whole = Response("HTTP/1.1 200 OK", Body());
  TinyServer server(whole.substr(0, whole.size() - kBodySize / 2));
  ASSERT_TRUE(server.Listening());
  HINTERNET session =
      internet_.InternetOpenA(nullptr, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  ASSERT_NE(session, nullptr);
  HINTERNET file = OpenUrl(session, server.Url());
  ASSERT_NE(file, nullptr) << GetLastError();
  std::string received;
  char block[kBlockSize];
  DWORD read = 0;
  while (internet_.InternetReadFile(file, block, sizeof block, &read) && read > 0)
    received.append(block, read);
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_CONNECTION_RESET);
  EXPECT_EQ(read, 0u);
  EXPECT_TRUE(received == Body().substr(0, kBodySize / 2)) << received.size() << " bytes received";
  internet_.InternetCloseHandle(file);
  internet_.InternetCloseHandle(session);
}

TEST_F(Win32InternetTest, CancelFlagThatAnswersTrueFailsTheNextReadAndOpen) {
  TinyServer server(Response("HTTP/1.1 200 OK", Body()));
  ASSERT_TRUE(server.Listening());
  HINTERNET session =
      internet_.InternetOpenA(nullptr, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  ASSERT_NE(session, nullptr);
  std::atomic<bool> stop{false};
  const std::function<bool()> cancel = [&] { return stop.load(); };
  ASSERT_TRUE(
      internet_.InternetSetOptionA(session, INTERNET_OPTION_CANCEL_FLAG, &cancel, sizeof cancel));
  HINTERNET file = OpenUrl(session, server.Url());
  ASSERT_NE(file, nullptr) << GetLastError();
  char block[100];
  DWORD read = 0;
  ASSERT_TRUE(internet_.InternetReadFile(file, block, sizeof block, &read));
  EXPECT_EQ(read, sizeof block);

  stop = true;
  read = 1;
  EXPECT_FALSE(internet_.InternetReadFile(file, block, sizeof block, &read));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_OPERATION_CANCELLED);
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(OpenUrl(session, server.Url()), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_OPERATION_CANCELLED);
  EXPECT_EQ(server.Requests().size(), 1u);
  internet_.InternetCloseHandle(file);
  internet_.InternetCloseHandle(session);
}

TEST_F(Win32InternetTest, CancelFlagEndsAWaitForAServerThatSendsNothingMore) {
  // One server sends half of the body and then nothing, the other not even an answer; both
  // keep the connection open. The flag turns true while the call waits.
  const std::string whole = Response("HTTP/1.1 200 OK", Body());
  TinyServer halfway(whole.substr(0, whole.size() - kBodySize / 2), kHoldMilliseconds);
  TinyServer silent("", kHoldMilliseconds);
  ASSERT_TRUE(halfway.Listening() && silent.Listening());
  std::atomic<bool> stop{false};
  const std::function<bool()> cancel = [&] { return stop.load(); };
  auto cancelled = [&](const std::function<bool()>& call) {
    stop = false;
    std::thread flag([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      stop = true;
    });
    const auto start = std::chrono::steady_clock::now();
    const bool failed = !call();
    const DWORD error = GetLastError();
    const auto took = std::chrono::steady_clock::now() - start;
    flag.join();
    return failed && error == ERROR_INTERNET_OPERATION_CANCELLED && took < kLongestCancelledCall;
  };
  HINTERNET reading =
                internet_.InternetOpenA(nullptr, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0),
            opening =
                internet_.InternetOpenA(nullptr, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  ASSERT_TRUE(reading && opening);
  for (HINTERNET session : {reading, opening})
    ASSERT_TRUE(
        internet_.InternetSetOptionA(session, INTERNET_OPTION_CANCEL_FLAG, &cancel, sizeof cancel));
  HINTERNET file = OpenUrl(reading, halfway.Url());
  ASSERT_NE(file, nullptr) << GetLastError();
  EXPECT_TRUE(cancelled([&] {
    char block[kBlockSize];
    DWORD read = 0;
    while (internet_.InternetReadFile(file, block, sizeof block, &read))
      if (read == 0) return true;
    return false;
  }));
  EXPECT_TRUE(cancelled([&] { return OpenUrl(opening, silent.Url()) != nullptr; }));
  for (HINTERNET handle : {file, reading, opening}) internet_.InternetCloseHandle(handle);
}

TEST_F(Win32InternetTest, RefusedConnectionFailsTheOpen) {
  // A port that was just let go: nothing listens there.
  unsigned short port = 0;
  const std::uintptr_t socket = win32::ListenOnLoopback(&port);
  ASSERT_NE(socket, win32::kNoSocket);
  win32::CloseSocket(socket);

  HINTERNET session =
      internet_.InternetOpenA(nullptr, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  ASSERT_NE(session, nullptr);
  const DWORD retries = 1, timeout = 2000;
  EXPECT_TRUE(internet_.InternetSetOptionA(session, INTERNET_OPTION_CONNECT_RETRIES, &retries,
                                           sizeof retries));
  EXPECT_TRUE(internet_.InternetSetOptionA(session, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout,
                                           sizeof timeout));
  EXPECT_EQ(OpenUrl(session, "http://127.0.0.1:" + std::to_string(port) + "/update.txt"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_CANNOT_CONNECT);
  internet_.InternetCloseHandle(session);
}

}  // namespace
}  // namespace platform
