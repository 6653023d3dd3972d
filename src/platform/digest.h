// Message digests through the system's cryptography: MD5 for the definitions' program files
// and SHA-256 for downloads.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace platform {

enum class DigestKind { Md5, Sha256 };

class Digest {
 public:
  explicit Digest(DigestKind kind);
  ~Digest();
  Digest(const Digest&) = delete;
  Digest& operator=(const Digest&) = delete;

  // False when the system cannot make this digest; Update and Finish then fail too.
  bool Usable() const;
  bool Update(const void* data, std::size_t size);
  // The digest's bytes (16 or 32); empty when it could not be made. Ends the digest.
  std::string Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace platform
