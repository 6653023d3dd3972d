// Seam: functions of the system's libraries found by name at run time, for the calls that
// older Windows versions lack (the process status library on 9x, tool help on NT 4, OpenThread
// before ME and 2000, GetProcessId before XP SP1). A library is taken from this process when
// it is loaded already, else loaded from the system folder, and is never unloaded.
#pragma once

namespace win32 {

// Any function; the caller casts it to the function's real type.
using AnyFunction = void (*)();

// The function of that name in the library ("psapi.dll"), or null when the system has neither
// the library nor the function in it.
AnyFunction SystemFunction(const char* library, const char* name);

template <typename Function>
Function BindSystemFunction(const char* library, const char* name) {
  return reinterpret_cast<Function>(SystemFunction(library, name));
}

// The error a call to a missing function reports (ERROR_PROC_NOT_FOUND): the system's own for
// a function it does not export, whether the library is missing or only the function.
void SetMissingFunctionError();

}  // namespace win32
