// An HTTP server on 127.0.0.1 for the update tests: fixed replies by path, handlers of
// its own where a test needs them, and the paths it was asked for. Stopped with the test.
#pragma once

#include <httplib.h>

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testing_support {

class UpdateServer {
 public:
  UpdateServer() {
    server_.set_logger([this](const httplib::Request& request, const httplib::Response&) {
      std::lock_guard guard(lock_);
      asked_.push_back(request.path);
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~UpdateServer() {
    server_.stop();
    thread_.join();
  }

  // Serves the body at the path with the status.
  void Serve(const std::string& path, const std::string& body, int status = 200) {
    server_.Get(path, [body, status](const httplib::Request&, httplib::Response& response) {
      response.status = status;
      response.set_content(body, "application/octet-stream");
    });
  }
  httplib::Server& Server() { return server_; }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  int Port() const { return port_; }
  std::vector<std::string> Asked() {
    std::lock_guard guard(lock_);
    return asked_;
  }

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  std::mutex lock_;  // guards asked_
  std::vector<std::string> asked_;
};

}  // namespace testing_support
