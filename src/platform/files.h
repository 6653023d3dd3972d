// Files and folders of the machine, with the calls, arguments and status codes of Win32.
// Paths are Windows paths ("C:\WINDOWS\system32"), relative ones taken from the current
// folder; nothing outside the image's drives can be reached.
#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "platform/code_page.h"
#include "platform/handles.h"
#include "platform/image_paths.h"
#include "platform/last_error.h"
#include "platform/machine_image.h"
#include "platform/share_modes.h"
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
  // Reads an environment string of the machine (TMP, TEMP, USERPROFILE, SystemRoot).
  using EnvironmentReader = std::function<std::optional<std::string>(const std::string& name)>;

  Files(MachineImage image, CodePage codePage, EnvironmentReader environment = {});

  const MachineImage& Image() const { return image_; }
  const CodePage& Code() const { return codePage_; }

  // Opening, reading and writing.
  HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                     const void* securityAttributes, DWORD creationDisposition,
                     DWORD flagsAndAttributes, HANDLE templateFile);
  BOOL ReadFile(HANDLE file, void* buffer, DWORD bytesToRead, DWORD* bytesRead, void* overlapped);
  BOOL WriteFile(HANDLE file, const void* buffer, DWORD bytesToWrite, DWORD* bytesWritten,
                 void* overlapped);
  DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD moveMethod);
  BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, LARGE_INTEGER* newPosition,
                        DWORD moveMethod);
  DWORD GetFileSize(HANDLE file, DWORD* sizeHigh);
  BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size);
  BOOL SetEndOfFile(HANDLE file);
  BOOL FlushFileBuffers(HANDLE file);
  BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite);
  BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                   const FILETIME* lastWrite);

  // Enumeration: "." and ".." first in folders below a drive root, then the names in
  // case-insensitive order, hidden and system entries included.
  HANDLE FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA* findData);
  HANDLE FindFirstFileExA(LPCSTR fileName, FINDEX_INFO_LEVELS level, void* findData,
                          FINDEX_SEARCH_OPS searchOp, void* filter, DWORD flags);
  BOOL FindNextFileA(HANDLE find, WIN32_FIND_DATAA* findData);
  BOOL FindClose(HANDLE find);

  // Attributes.
  DWORD GetFileAttributesA(LPCSTR fileName);
  BOOL GetFileAttributesExA(LPCSTR fileName, GET_FILEEX_INFO_LEVELS level, void* information);
  BOOL SetFileAttributesA(LPCSTR fileName, DWORD attributes);
  BOOL PathFileExistsA(LPCSTR path);

  // Changing the tree.
  BOOL DeleteFileA(LPCSTR fileName);
  BOOL CreateDirectoryA(LPCSTR pathName, const void* securityAttributes);
  BOOL RemoveDirectoryA(LPCSTR pathName);
  BOOL MoveFileA(LPCSTR existingFileName, LPCSTR newFileName);
  BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags);
  BOOL CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists);

  // Path forms. Each returns the length written without the terminating zero, or, when the
  // buffer is too small, the size needed with it; 0 on failure.
  DWORD GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD bufferLength);
  DWORD GetLongPathNameA(LPCSTR shortPath, LPSTR longPath, DWORD bufferLength);
  DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart);
  DWORD GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer);
  BOOL SetCurrentDirectoryA(LPCSTR pathName);
  DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer);

  // The host path behind a Windows path, for tools and for starting programs; nothing when a
  // folder on the way is missing or the path leads out of the drives.
  std::optional<std::string> HostPathOf(const std::string& windowsPath);
  // The Windows path of a host path inside the drives, else nothing.
  std::optional<std::string> WindowsPathOf(const std::string& hostPath) const;

 private:
  DWORD Resolve(LPCSTR path, FinalLink finalLink, ResolvedPath& resolved, std::string* full);
  std::string CurrentDirectory() const;
  DWORD CheckReplaceable(const ResolvedPath& target) const;

  MachineImage image_;
  CodePage codePage_;
  EnvironmentReader environment_;
  ShareModes shareModes_;
  // The process's current directory in this image, shared by every Files of the image in the
  // process (the program and the libraries it loads see one), as the system keeps one a
  // process.
  struct CurrentDirectoryState {
    std::mutex lock;  // guards path
    std::string path;
  };
  std::shared_ptr<CurrentDirectoryState> current_;
};

}  // namespace platform
