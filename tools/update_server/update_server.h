// An update server on 127.0.0.1 for the tests and the demo: fixed replies by path, a folder
// served as it is, handlers of the caller's where needed, and the paths it was asked for.
// It stops with its object.
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
  // port 0: any free port.
  explicit UpdateServer(int port = 0) {
    server_.set_logger([this](const httplib::Request& request, const httplib::Response&) {
      std::lock_guard guard(lock_);
      asked_.push_back(request.path);
    });
    port_ = port ? (server_.bind_to_port("127.0.0.1", port) ? port : -1)
                 : server_.bind_to_any_port("127.0.0.1");
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
  // Serves the files of a host folder below the address prefix ("/files").
  bool ServeFolder(const std::string& prefix, const std::string& folder) {
    return server_.set_mount_point(prefix, folder);
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

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>

#include <cstdio>
#include <filesystem>

namespace testing_support {

// An HTTPS server on 127.0.0.1 with a certificate it signed itself, made for the test.
class SelfSignedServer {
 public:
  explicit SelfSignedServer(const std::string& folder)
      : certificate_(folder + "/server.pem"), key_(folder + "/server.key") {
    MakeCertificate();
    server_ = std::make_unique<httplib::SSLServer>(certificate_.c_str(), key_.c_str());
    port_ = server_->bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~SelfSignedServer() {
    server_->stop();
    thread_.join();
  }
  httplib::Server& Server() { return *server_; }
  std::string Url(const std::string& path) const {
    return "https://127.0.0.1:" + std::to_string(port_) + path;
  }

 private:
  void MakeCertificate() {
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* certificate = X509_new();
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
    X509_gmtime_adj(X509_getm_notBefore(certificate), 0);
    X509_gmtime_adj(X509_getm_notAfter(certificate), 86400);
    X509_set_pubkey(certificate, key);
    X509_NAME* name = X509_get_subject_name(certificate);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
    X509_set_issuer_name(certificate, name);
    X509_sign(certificate, key, EVP_sha256());
    if (FILE* out = std::fopen(certificate_.c_str(), "w")) {
      PEM_write_X509(out, certificate);
      std::fclose(out);
    }
    if (FILE* out = std::fopen(key_.c_str(), "w")) {
      PEM_write_PrivateKey(out, key, nullptr, nullptr, 0, nullptr, nullptr);
      std::fclose(out);
    }
    X509_free(certificate);
    EVP_PKEY_free(key);
  }

  std::string certificate_, key_;
  std::unique_ptr<httplib::SSLServer> server_;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace testing_support
