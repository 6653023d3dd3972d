// The internet client of the Windows system, WinINet, against a tiny HTTP server of the test's
// own on 127.0.0.1: a body read in blocks with its status, the layer's cancel flag, and a
// connection refused.
#include "platform/win32/win32_internet.h"

#include <gtest/gtest.h>

#include <atomic>
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
// ends; keeps the requests it was sent.
class TinyServer {
 public:
  explicit TinyServer(std::string response) : response_(std::move(response)) {
    listener_ = win32::ListenOnLoopback(&port_);
    if (listener_ == win32::kNoSocket) return;
    thread_ = std::thread([this] {
      while (!stop_) {
        if (!win32::ConnectionWaiting(listener_, kPollMilliseconds)) continue;
        std::string request;
        const std::uintptr_t connection = win32::AcceptRequest(listener_, &request);
        if (connection == win32::kNoSocket) continue;
        {
          std::lock_guard guard(lock_);
          requests_.push_back(request);
        }
        win32::SendResponse(connection, response_);
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
