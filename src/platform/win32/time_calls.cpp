#include "platform/win32/time_calls.h"

#include "platform/win32/windows_door.h"

namespace win32 {

namespace {

using ToZoneTime = BOOL(WINAPI*)(const TIME_ZONE_INFORMATION*, const SYSTEMTIME*, SYSTEMTIME*);

// Windows 9x and NT 4 lack it.
ToZoneTime ZoneTimeConversion() {
  static const ToZoneTime conversion = [] {
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    FARPROC found = kernel ? ::GetProcAddress(kernel, "SystemTimeToTzSpecificLocalTime") : nullptr;
    return reinterpret_cast<ToZoneTime>(reinterpret_cast<void*>(found));
  }();
  return conversion;
}

}  // namespace

bool LocalClockOf(std::uint64_t fileTime, LocalClock& clock) {
  FILETIME utc;
  utc.dwLowDateTime = static_cast<DWORD>(fileTime);
  utc.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
  SYSTEMTIME local;
  if (ToZoneTime toZone = ZoneTimeConversion()) {
    SYSTEMTIME universal;
    if (!::FileTimeToSystemTime(&utc, &universal) || !toZone(nullptr, &universal, &local))
      return false;
  } else {
    FILETIME shifted;
    if (!::FileTimeToLocalFileTime(&utc, &shifted) || !::FileTimeToSystemTime(&shifted, &local))
      return false;
  }
  clock = {local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond};
  return true;
}

bool TimeZoneBiases(ZoneBiases& biases) {
  TIME_ZONE_INFORMATION zone;
  if (::GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return false;
  biases.standard = zone.Bias + zone.StandardBias;
  biases.daylight = zone.Bias + zone.DaylightBias;
  biases.hasDaylight = zone.DaylightDate.wMonth != 0 && zone.DaylightBias != zone.StandardBias;
  return true;
}

}  // namespace win32
