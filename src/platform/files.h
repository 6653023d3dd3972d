// Files and folders of the machine, with the calls, arguments and status codes of Win32.
// Paths are Windows paths ("C:\WINDOWS\system32"), relative ones taken from the current
// folder.
#pragma once

#include <optional>
#include <string>

#include "platform/code_page.h"
#include "platform/handles.h"
#include "platform/last_error.h"
#include "platform/win32_types.h"

namespace platform {

enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard = 0 };

// FindFirstFileExA: FindExInfoBasic leaves out the 8.3 names (cAlternateFileName is empty).
enum FINDEX_INFO_LEVELS { FindExInfoStandard = 0, FindExInfoBasic = 1 };
enum FINDEX_SEARCH_OPS { FindExSearchNameMatch = 0 };
constexpr DWORD FIND_FIRST_EX_LARGE_FETCH = 0x00000002;
// This layer's own flag: names and the folder bit only, as the folder itself tells them;
// sizes and times are 0 and a file's attributes FILE_ATTRIBUTE_NORMAL. Links and entries
// whose kind the folder does not tell are filled whole. For walks that look at names first.
constexpr DWORD FIND_FIRST_EX_NAMES_ONLY = 0x80000000;

class Files {
 public:
  virtual ~Files() = default;

  virtual const CodePage& Code() const = 0;

  // Opening, reading and writing.
  virtual HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                             const void* securityAttributes, DWORD creationDisposition,
                             DWORD flagsAndAttributes, HANDLE templateFile) = 0;
  virtual BOOL ReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead,
                        void* overlapped) = 0;
  virtual BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten,
                         void* overlapped) = 0;
  virtual DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh,
                               DWORD moveMethod) = 0;
  virtual BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPosition,
                                DWORD moveMethod) = 0;
  virtual DWORD GetFileSize(HANDLE file, DWORD* sizeHigh) = 0;
  virtual BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size) = 0;
  virtual BOOL SetEndOfFile(HANDLE file) = 0;
  virtual BOOL FlushFileBuffers(HANDLE file) = 0;
  virtual BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess,
                           FILETIME* lastWrite) = 0;
  virtual BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                           const FILETIME* lastWrite) = 0;

  // Enumeration: "." and ".." first in folders below a drive root, then the names, hidden
  // and system entries included (in case-insensitive order on the machine image; a real
  // system gives the order its file system keeps).
  virtual HANDLE FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA* findData) = 0;
  virtual HANDLE FindFirstFileExA(LPCSTR fileName, FINDEX_INFO_LEVELS level, void* findData,
                                  FINDEX_SEARCH_OPS searchOp, void* filter, DWORD flags) = 0;
  virtual BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* findData) = 0;
  virtual BOOL FindClose(HANDLE find) = 0;

  // Attributes.
  virtual DWORD GetFileAttributesA(LPCSTR fileName) = 0;
  virtual BOOL GetFileAttributesExA(LPCSTR fileName, GET_FILEEX_INFO_LEVELS level,
                                    void* information) = 0;
  virtual BOOL SetFileAttributesA(LPCSTR fileName, DWORD attributes) = 0;
  virtual BOOL PathFileExistsA(LPCSTR path) = 0;

  // Changing the tree.
  virtual BOOL DeleteFileA(LPCSTR fileName) = 0;
  virtual BOOL CreateDirectoryA(LPCSTR pathName, const void* securityAttributes) = 0;
  virtual BOOL RemoveDirectoryA(LPCSTR pathName) = 0;
  virtual BOOL MoveFileA(LPCSTR existingFileName, LPCSTR newFileName) = 0;
  virtual BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) = 0;
  virtual BOOL CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists) = 0;

  // Path forms. Each returns the length written without the terminating zero, or, when the
  // buffer is too small, the size needed with it; 0 on failure.
  virtual DWORD GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD bufferLength) = 0;
  virtual DWORD GetLongPathNameA(LPCSTR shortPath, LPSTR longPath, DWORD bufferLength) = 0;
  virtual DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer,
                                 LPSTR* filePart) = 0;
  virtual DWORD GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer) = 0;
  virtual BOOL SetCurrentDirectoryA(LPCSTR pathName) = 0;
  virtual DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer) = 0;

  // The path under which the system's own libraries (the C library, zip archives) open the
  // file of a Windows path: on a real system the full path itself, on a machine image the
  // host path behind it. Nothing when it cannot be reached: a folder on the way is missing
  // or the path leads out of the drives.
  virtual std::optional<std::string> HostPathOf(const std::string& windowsPath) = 0;
  // The Windows path of such a host path, else nothing.
  virtual std::optional<std::string> WindowsPathOf(const std::string& hostPath) const = 0;
};

// Copies text and its terminating zero into a caller's buffer with the Win32 length rules:
// the length written without the zero, or the size needed with it when the buffer is short.
DWORD CopyOutText(const std::string& text, LPSTR buffer, DWORD bufferLength);

}  // namespace platform
