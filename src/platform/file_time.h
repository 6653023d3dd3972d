// FILETIMEs (100-nanosecond steps since 1601) as numbers and as Unix times, the same on every
// system.
#pragma once

#include <cstdint>

#include "platform/win32_types.h"

namespace platform {

std::uint64_t FileTimeNumber(const FILETIME& time);
FILETIME FileTimeOfNumber(std::uint64_t value);

// A Unix time as a FILETIME; times before 1601 become 0.
FILETIME FileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds);
// The Unix time of a FILETIME: whole seconds (rounded down) and the nanoseconds past them.
struct UnixTime {
  std::int64_t seconds = 0;
  std::int64_t nanoseconds = 0;
};
UnixTime UnixFromFileTime(const FILETIME& time);

}  // namespace platform
