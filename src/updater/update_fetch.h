// One request as the update library makes it: a session of its own with the record's connect
// time-out and three connection retries, the address opened for a reload from the server in
// binary mode, and the body read in blocks. The record's abort stops it at its next step.
#pragma once

#include <functional>
#include <string>

#include "platform/internet.h"

namespace updater {

class Fetch {
 public:
  Fetch(platform::Internet& internet, int connectTimeoutSeconds, std::function<bool()> stop);
  ~Fetch();
  Fetch(const Fetch&) = delete;
  Fetch& operator=(const Fetch&) = delete;

  // False when no response came (the last error tells why).
  bool Open(const std::string& url);
  // The HTTP status of the response (0 when there is none).
  platform::DWORD Status() const;
  bool Successful() const { return Status() >= 200 && Status() < 300; }
  // Reads up to size bytes; read is 0 at the end. False when the transfer broke.
  bool Read(char* buffer, platform::DWORD size, platform::DWORD& read);

 private:
  platform::Internet& internet_;
  std::function<bool()> stop_;
  platform::HINTERNET session_ = nullptr;
  platform::HINTERNET stream_ = nullptr;
};

// The update list's lines and the files' blocks are read this many bytes at a time.
constexpr platform::DWORD kBlockSize = 512;

}  // namespace updater
