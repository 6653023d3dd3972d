// Seam: kernel32's file calls (and shlwapi's PathFileExistsA) in plain types, for the files
// backend. Each function is the system call of its name; a handle is null where the system
// gives INVALID_HANDLE_VALUE, and the error is the thread's last error. The calls older systems
// lack are bound at run time: where the system has no such function, or only a stub of it,
// the call fails with kCallNotImplemented.
#pragma once

#include <cstddef>
#include <cstdint>

namespace win32 {

// ERROR_CALL_NOT_IMPLEMENTED: the system lacks the call (Windows 95 and 98 stub some).
constexpr std::uint32_t kCallNotImplemented = 120;

// The sizes of the records passed as void*: WIN32_FIND_DATAA, WIN32_FILE_ATTRIBUTE_DATA and
// FILETIME, laid out as the platform's structs of those names.
constexpr std::size_t kFindDataSize = 320;
constexpr std::size_t kFileAttributeDataSize = 36;
constexpr std::size_t kFileTimeSize = 8;

// securityAttributes and overlapped are the system's SECURITY_ATTRIBUTES and OVERLAPPED.
void* CreateFileA(const char* name, std::uint32_t access, std::uint32_t share,
                  const void* securityAttributes, std::uint32_t disposition,
                  std::uint32_t flagsAndAttributes, void* templateFile);
bool ReadFile(void* file, void* buffer, std::uint32_t count, std::uint32_t* done, void* overlapped);
bool WriteFile(void* file, const void* buffer, std::uint32_t count, std::uint32_t* done,
               void* overlapped);
std::uint32_t SetFilePointer(void* file, std::int32_t distance, std::int32_t* distanceHigh,
                             std::uint32_t method);
// SetFilePointerEx and GetFileSizeEx are made of SetFilePointer and GetFileSize with their high
// parts, which every system has (9x and NT 4 lack the Ex forms).
bool SetFilePointerEx(void* file, std::int64_t distance, std::int64_t* position,
                      std::uint32_t method);
std::uint32_t GetFileSize(void* file, std::uint32_t* sizeHigh);
bool GetFileSizeEx(void* file, std::int64_t* size);
bool SetEndOfFile(void* file);
bool FlushFileBuffers(void* file);
bool GetFileTime(void* file, void* creation, void* lastAccess, void* lastWrite);
bool SetFileTime(void* file, const void* creation, const void* lastAccess, const void* lastWrite);

void* FindFirstFileA(const char* pattern, void* findData);
// Bound at run time (Windows 95 lacks it).
void* FindFirstFileExA(const char* pattern, int level, void* findData, int searchOp, void* filter,
                       std::uint32_t flags);
bool FindNextFileA(void* find, void* findData);

std::uint32_t GetFileAttributesA(const char* name);
// Bound at run time (Windows 95 lacks it).
bool GetFileAttributesExA(const char* name, int level, void* information);
bool SetFileAttributesA(const char* name, std::uint32_t attributes);
bool PathFileExistsA(const char* path);

bool DeleteFileA(const char* name);
bool CreateDirectoryA(const char* name, const void* securityAttributes);
bool RemoveDirectoryA(const char* name);
bool MoveFileA(const char* from, const char* to);
bool MoveFileExA(const char* from, const char* to, std::uint32_t flags);
bool CopyFileA(const char* from, const char* to, bool failIfExists);

std::uint32_t GetShortPathNameA(const char* longPath, char* shortPath, std::uint32_t length);
// Bound at run time (Windows 95 and NT 4 lack it).
std::uint32_t GetLongPathNameA(const char* shortPath, char* longPath, std::uint32_t length);
std::uint32_t GetFullPathNameA(const char* name, std::uint32_t length, char* buffer,
                               char** filePart);
std::uint32_t GetCurrentDirectoryA(std::uint32_t length, char* buffer);
bool SetCurrentDirectoryA(const char* path);
std::uint32_t GetTempPathA(std::uint32_t length, char* buffer);

}  // namespace win32
