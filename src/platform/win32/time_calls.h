// Seam: the local time of the system's time zone for a moment given as a FILETIME count
// (100 ns since 1601, UTC), and the zone's biases.
#pragma once

#include <cstdint>

namespace win32 {

struct LocalClock {
  int year, month, day;  // month 1 to 12
  int hour, minute, second;
};

// The moment on the local clock: through SystemTimeToTzSpecificLocalTime, with the zone's
// rules for daylight saving time, where the system has it (NT 5 and later, bound at run
// time); else through FileTimeToLocalFileTime, with the bias in force now. False for a
// moment the system cannot tell.
bool LocalClockOf(std::uint64_t fileTime, LocalClock& clock);

struct ZoneBiases {
  long standard;  // minutes to add to local standard time for UTC
  long daylight;  // the same in daylight saving time
  bool hasDaylight;
};

bool TimeZoneBiases(ZoneBiases& biases);  // GetTimeZoneInformation

}  // namespace win32
