// The files of the Windows system this process runs on, through kernel32 (and shlwapi's
// PathFileExistsA). File handles and searches are the system's own inside the platform's
// handle table; where an older system lacks a call, the same answer is made of older calls.
#pragma once

#include <optional>
#include <string>

#include "platform/files.h"

namespace platform {

class Win32Files : public Files {
 public:
  explicit Win32Files(const CodePage& codePage) : codePage_(codePage) {}

  const CodePage& Code() const override { return codePage_; }

  HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                     const void* securityAttributes, DWORD creationDisposition,
                     DWORD flagsAndAttributes, HANDLE templateFile) override;
  BOOL ReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead,
                void* overlapped) override;
  BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten,
                 void* overlapped) override;
  DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD moveMethod) override;
  BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPosition,
                        DWORD moveMethod) override;
  DWORD GetFileSize(HANDLE file, DWORD* sizeHigh) override;
  BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size) override;
  BOOL SetEndOfFile(HANDLE file) override;
  BOOL FlushFileBuffers(HANDLE file) override;
  BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess,
                   FILETIME* lastWrite) override;
  BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                   const FILETIME* lastWrite) override;

  HANDLE FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA* findData) override;
  HANDLE FindFirstFileExA(LPCSTR fileName, FINDEX_INFO_LEVELS level, void* findData,
                          FINDEX_SEARCH_OPS searchOp, void* filter, DWORD flags) override;
  BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* findData) override;
  BOOL FindClose(HANDLE find) override;

  DWORD GetFileAttributesA(LPCSTR fileName) override;
  BOOL GetFileAttributesExA(LPCSTR fileName, GET_FILEEX_INFO_LEVELS level,
                            void* information) override;
  BOOL SetFileAttributesA(LPCSTR fileName, DWORD attributes) override;
  BOOL PathFileExistsA(LPCSTR path) override;

  BOOL DeleteFileA(LPCSTR fileName) override;
  BOOL CreateDirectoryA(LPCSTR pathName, const void* securityAttributes) override;
  BOOL RemoveDirectoryA(LPCSTR pathName) override;
  BOOL MoveFileA(LPCSTR existingFileName, LPCSTR newFileName) override;
  // MOVEFILE_DELAY_UNTIL_REBOOT goes to the system, which records the move for its next start.
  BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) override;
  BOOL CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists) override;

  DWORD GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD bufferLength) override;
  DWORD GetLongPathNameA(LPCSTR shortPath, LPSTR longPath, DWORD bufferLength) override;
  DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer,
                         LPSTR* filePart) override;
  DWORD GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer) override;
  BOOL SetCurrentDirectoryA(LPCSTR pathName) override;
  DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer) override;

  // The full path (GetFullPathNameA), which the system's own libraries open directly.
  std::optional<std::string> HostPathOf(const std::string& windowsPath) override;
  std::optional<std::string> WindowsPathOf(const std::string& hostPath) const override;

 private:
  CodePage codePage_;
};

}  // namespace platform
