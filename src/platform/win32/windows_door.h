// The one door to the system's headers for the Windows backend. A file that includes it is a
// seam file ("*_calls.cpp"): it speaks Win32 and offers the backend plain functions in plain
// types, and includes no header of the platform, whose names (TRUE, MAX_PATH, ERROR_*,
// HKEY_*, DELETE, CreateWindowA) <windows.h> defines as macros.
#pragma once

#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0501  // Windows XP: nothing newer is declared
#endif
#ifndef WINVER
#define WINVER 0x0501
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif

#include <windows.h>

#ifdef GetObject
#undef GetObject
#endif
