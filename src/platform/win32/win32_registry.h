// The registry of the Windows system this process runs on, through advapi32 (and shlwapi for
// whole trees). Keys are the system's own HKEY values, the predefined roots included; the
// system finds names without regard to case and keeps their case. One rule is the layer's
// own: RegDeleteKeyA refuses a key that has sub keys on Windows 9x too, whose system call
// would delete the whole tree.
#pragma once

#include "platform/code_page.h"
#include "platform/registry.h"

namespace platform {

class Win32Registry : public Registry {
 public:
  Win32Registry();

  LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result) override;
  LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                       REGSAM desired, const void* security, PHKEY result,
                       DWORD* disposition) override;
  LONG RegCloseKey(HKEY key) override;
  LONG RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD* reserved, DWORD* type, BYTE* data,
                        DWORD* dataSize) override;
  LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                      DWORD dataSize) override;
  LONG RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD nameSize) override;
  LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, DWORD* nameLength, DWORD* reserved,
                     LPSTR keyClass, DWORD* classLength, FILETIME* lastWriteTime) override;
  LONG RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, DWORD* valueNameLength,
                     DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize) override;
  LONG RegQueryInfoKeyA(HKEY key, LPSTR keyClass, DWORD* classLength, DWORD* reserved,
                        DWORD* subKeys, DWORD* maxSubKeyLength, DWORD* maxClassLength,
                        DWORD* values, DWORD* maxValueNameLength, DWORD* maxValueLength,
                        DWORD* securityDescriptorSize, FILETIME* lastWriteTime) override;
  LONG RegDeleteKeyA(HKEY key, LPCSTR subKey) override;
  LONG RegDeleteValueA(HKEY key, LPCSTR valueName) override;
  LONG SHDeleteKeyA(HKEY key, LPCSTR subKey) override;

  // The system's ANSI code page.
  const CodePage& Code() const override { return codePage_; }

 private:
  CodePage codePage_;
};

}  // namespace platform
