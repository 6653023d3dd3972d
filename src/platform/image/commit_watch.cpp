#include "platform/image/commit_watch.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include "platform/image/host_calls.h"

namespace platform {

namespace {

constexpr std::size_t kMappedSize = 2 * CommitWatch::kHeaderSize;
constexpr std::size_t kIsInitOffset = 12;

// Eight bytes at a time: the copies lie at offsets 0 and 48 of a page-aligned mapping.
CommitWatch::Stamp Copy(const volatile std::uint8_t* from) {
  const auto* words = reinterpret_cast<const volatile std::uint64_t*>(from);
  std::array<std::uint64_t, CommitWatch::kHeaderSize / 8> read;
  for (std::size_t i = 0; i < read.size(); ++i) read[i] = words[i];
  CommitWatch::Stamp stamp;
  std::memcpy(stamp.data(), read.data(), stamp.size());
  return stamp;
}

}  // namespace

CommitWatch::CommitWatch(const std::string& databaseFile) {
  file_ = Host().open((databaseFile + "-shm").c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (file_ < 0) return;
  struct stat facts {};
  if (fstat(file_, &facts) == 0 && facts.st_size >= static_cast<off_t>(kMappedSize)) {
    void* mapped = mmap(nullptr, kMappedSize, PROT_READ, MAP_SHARED, file_, 0);
    if (mapped != MAP_FAILED) header_ = static_cast<const volatile std::uint8_t*>(mapped);
  }
}

CommitWatch::~CommitWatch() {
  if (header_) munmap(const_cast<std::uint8_t*>(header_), kMappedSize);
  if (file_ >= 0) close(file_);
}

std::optional<CommitWatch::Stamp> CommitWatch::Now() const {
  if (!header_) return std::nullopt;
  const Stamp first = Copy(header_);
  std::atomic_thread_fence(std::memory_order_acquire);
  const Stamp second = Copy(header_ + kHeaderSize);
  if (first != second || first[kIsInitOffset] == 0) return std::nullopt;
  return first;
}

}  // namespace platform
