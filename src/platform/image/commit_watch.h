// Tells cheaply whether any connection, in any process, committed to a WAL-mode SQLite database
// since the last look, without taking a lock: it reads the wal-index header of the database's
// "-shm" file, which SQLite's WAL file format keeps twice (at offsets 0 and 48) and which a
// writer rewrites, under its write lock, with every commit (its change counter and last frame).
// A writer writes the second copy first and the first copy last, so two equal copies read first
// to second are the header that SQLite's own readers see.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

class CommitWatch {
 public:
  static constexpr std::size_t kHeaderSize = 48;
  using Stamp = std::array<std::uint8_t, kHeaderSize>;

  // Maps the "-shm" file of the database; call while a connection holds the database open in
  // WAL mode (the file then exists and keeps its size), and destroy after that connection
  // closed: closing a descriptor of the file would drop the locks SQLite holds on it in this
  // process, so the descriptor is kept open until then.
  explicit CommitWatch(const std::string& databaseFile);
  ~CommitWatch();
  CommitWatch(const CommitWatch&) = delete;
  CommitWatch& operator=(const CommitWatch&) = delete;

  // The header as it stands; empty while a writer is rewriting it or when the file could not
  // be mapped. Two equal stamps mean that nothing was committed in between.
  std::optional<Stamp> Now() const;

 private:
  int file_ = -1;
  const volatile std::uint8_t* header_ = nullptr;
};

}  // namespace platform
