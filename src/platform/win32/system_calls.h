// Seam: what the system tells about itself through kernel32, advapi32 and the shell: its
// version, the user, its folders, environment strings, message texts and shell folders.
// Lengths and return values follow the Win32 calls named beside each function.
#pragma once

#include <cstddef>
#include <cstdint>

namespace win32 {

// The size of an OSVERSIONINFOA, which VersionInfo takes as void*.
constexpr std::size_t kOsVersionInfoSize = 148;

// GetVersionExA, GetUserNameA, GetWindowsDirectoryA, GetSystemDirectoryA.
bool VersionInfo(void* version);
bool UserName(char* buffer, std::uint32_t* size);
unsigned WindowsFolder(char* buffer, unsigned size);
unsigned SystemFolder(char* buffer, unsigned size);
// GetEnvironmentVariableA, ExpandEnvironmentStringsA.
std::uint32_t EnvironmentValue(const char* name, char* buffer, std::uint32_t size);
std::uint32_t ExpandEnvironment(const char* source, char* destination, std::uint32_t size);
// FormatMessageA; arguments is the caller's va_list*. The source is a module with the flag:
constexpr std::uint32_t kFromModule = 0x00000800;  // FORMAT_MESSAGE_FROM_HMODULE
std::uint32_t MessageText(std::uint32_t flags, const void* source, std::uint32_t messageId,
                          std::uint32_t languageId, char* buffer, std::uint32_t size,
                          void* arguments);
// The internet library (wininet.dll, which the backend imports), whose message table holds the
// texts of its own status codes; null when it is not loaded.
void* InternetLibrary();

// SHGetFolderPathA, from shell32 or else from shfolder.dll; false when neither has it
// (shell32 before version 5 does not, and shfolder.dll is not on every Windows 95 or NT 4).
bool ShellFolderPath(void* owner, int folder, void* token, std::uint32_t flags, char* path,
                     long& result);

}  // namespace win32
