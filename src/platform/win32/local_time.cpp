// The local time of the Windows build, from the system's time zone. Not the C runtime's:
// XP's msvcrt has neither localtime_r nor localtime_s.
#include "platform/local_time.h"

#include <cstdint>

#include "platform/win32/time_calls.h"

namespace platform {

namespace {

constexpr std::int64_t kUnixEpochAsFileTime = 116444736000000000;  // 1970-01-01 in 100 ns
constexpr std::int64_t kTicksPerSecond = 10000000;

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromEpoch(std::int64_t year, int month, int day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

}  // namespace

std::tm LocalTimeOf(std::time_t time) {
  const std::int64_t seconds = static_cast<std::int64_t>(time);
  // FILETIME counts from 1601: earlier moments, and those too late for it, cannot be told.
  if (seconds < -kUnixEpochAsFileTime / kTicksPerSecond ||
      seconds > (INT64_MAX - kUnixEpochAsFileTime) / kTicksPerSecond)
    return std::tm{};
  win32::LocalClock clock;
  if (!win32::LocalClockOf(
          static_cast<std::uint64_t>(seconds * kTicksPerSecond + kUnixEpochAsFileTime), clock))
    return std::tm{};
  std::tm local{};
  local.tm_year = clock.year - 1900;
  local.tm_mon = clock.month - 1;
  local.tm_mday = clock.day;
  local.tm_hour = clock.hour;
  local.tm_min = clock.minute;
  local.tm_sec = clock.second;
  const std::int64_t days = DaysFromEpoch(clock.year, clock.month, clock.day);
  local.tm_wday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  local.tm_yday = static_cast<int>(days - DaysFromEpoch(clock.year, 1, 1));
  // Daylight saving time is in force when the clock is ahead of UTC by the zone's daylight
  // bias rather than its standard one.
  win32::ZoneBiases biases;
  if (win32::TimeZoneBiases(biases)) {
    const std::int64_t clockSeconds =
        days * 86400 + clock.hour * 3600 + clock.minute * 60 + clock.second;
    const std::int64_t aheadMinutes = (clockSeconds - seconds) / 60;
    local.tm_isdst = biases.hasDaylight && aheadMinutes == -biases.daylight ? 1 : 0;
  } else {
    local.tm_isdst = -1;
  }
  return local;
}

}  // namespace platform
