// Seam of the files test: the system calls it needs that are no part of the files service,
// to start a program and to look at and put back a value of the machine's registry.
#pragma once

#include <cstdint>
#include <string>

namespace files_test {

// A program started with CreateProcessA (its process handle), or null.
void* StartProgram(const std::string& path);
// Ends the program, waits until it has ended and closes its handle.
void EndProgram(void* process);

// A value under HKEY_LOCAL_MACHINE as RegQueryValueExA gives it.
struct MachineValue {
  bool exists = false;
  std::uint32_t type = 0;
  std::string data;
};
MachineValue ReadMachineValue(const char* key, const char* name);
// Writes the value back as it was, or deletes it when it was not there.
bool RestoreMachineValue(const char* key, const char* name, const MachineValue& value);

}  // namespace files_test
