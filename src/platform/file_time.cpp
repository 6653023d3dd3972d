#include "platform/file_time.h"

namespace platform {
namespace {
constexpr std::int64_t kUnixEpochAsFileTime = 116444736000000000;  // 1970-01-01 in 100 ns
}

std::uint64_t FileTimeNumber(const FILETIME& time) {
  return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

FILETIME FileTimeOfNumber(std::uint64_t value) {
  return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

FILETIME FileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds) {
  std::int64_t value = seconds * 10000000 + nanoseconds / 100 + kUnixEpochAsFileTime;
  return FileTimeOfNumber(static_cast<std::uint64_t>(value < 0 ? 0 : value));
}

UnixTime UnixFromFileTime(const FILETIME& time) {
  std::int64_t value = static_cast<std::int64_t>(FileTimeNumber(time)) - kUnixEpochAsFileTime;
  std::int64_t seconds = value / 10000000, rest = value % 10000000;
  if (rest < 0) {
    rest += 10000000;
    --seconds;
  }
  return UnixTime{seconds, rest * 100};
}

}  // namespace platform
