// The local time of a moment in the machine's time zone, daylight saving time included.
#pragma once

#include <ctime>

namespace platform {

// The broken-down local time of a Unix time; all fields zero when it cannot be told.
std::tm LocalTimeOf(std::time_t time);

}  // namespace platform
