#include "foundation/time_text.h"

#include <cstdio>

#include "platform/local_time.h"

namespace foundation {
namespace {

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

std::tm LocalTime(std::time_t time) {
  return platform::LocalTimeOf(time);
}

std::string LogTime(std::time_t time) {
  const std::tm local = LocalTime(time);
  char text[32];
  std::snprintf(text, sizeof text, "%02d %s %02d %02d:%02d:%02d", local.tm_mday,
                kMonths[local.tm_mon % 12], local.tm_year % 100, local.tm_hour, local.tm_min,
                local.tm_sec);
  return text;
}

std::string LastScanTimeText(std::time_t time) {
  const std::tm local = LocalTime(time);
  const int hour12 = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
  char text[48];
  std::snprintf(text, sizeof text, "%02d-%s-%04d at %02d:%02d:%02d %s", local.tm_mday,
                kMonths[local.tm_mon % 12], local.tm_year + 1900, hour12, local.tm_min,
                local.tm_sec, local.tm_hour < 12 ? "AM" : "PM");
  return text;
}

}  // namespace foundation
