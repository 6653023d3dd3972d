#include "files_test_calls.h"

#include "platform/win32/windows_door.h"

#include <vector>

namespace files_test {

void* StartProgram(const std::string& path) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!::CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started))
    return nullptr;
  ::CloseHandle(started.hThread);
  return started.hProcess;
}

void EndProgram(void* process) {
  ::TerminateProcess(process, 0);
  ::WaitForSingleObject(process, 10000);
  ::CloseHandle(process);
}

MachineValue ReadMachineValue(const char* key, const char* name) {
  MachineValue value;
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
    return value;
  DWORD type = 0, size = 0;
  if (::RegQueryValueExA(opened, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    std::vector<BYTE> data(size);
    if (::RegQueryValueExA(opened, name, nullptr, &type, data.data(), &size) == ERROR_SUCCESS) {
      value.exists = true;
      value.type = type;
      value.data.assign(data.begin(), data.begin() + size);
    }
  }
  ::RegCloseKey(opened);
  return value;
}

bool RestoreMachineValue(const char* key, const char* name, const MachineValue& value) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS)
    return false;
  LONG result = value.exists ? ::RegSetValueExA(opened, name, 0, value.type,
                                                reinterpret_cast<const BYTE*>(value.data.data()),
                                                static_cast<DWORD>(value.data.size()))
                             : ::RegDeleteValueA(opened, name);
  ::RegCloseKey(opened);
  return result == ERROR_SUCCESS || (!value.exists && result == ERROR_FILE_NOT_FOUND);
}

}  // namespace files_test
