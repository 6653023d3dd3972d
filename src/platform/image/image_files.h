// The files of a machine image: Windows paths lead to IMAGE/drives/<letter>/..., each
// component matched without regard to case or by its 8.3 name; nothing outside the drives
// can be reached. Share modes hold across every process of the image.
#pragma once

#include <cctype>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/files.h"
#include "platform/image/image_paths.h"
#include "platform/image/machine_image.h"
#include "platform/image/share_modes.h"

namespace platform {

class ImageFiles : public Files {
 public:
  // Reads an environment string of the machine (TMP, TEMP, USERPROFILE, SystemRoot).
  using EnvironmentReader = std::function<std::optional<std::string>(const std::string& name)>;

  ImageFiles(MachineImage image, CodePage codePage, EnvironmentReader environment = {});

  const MachineImage& Image() const { return image_; }
  const CodePage& Code() const override { return codePage_; }
  // Makes a drive refuse every change with ERROR_WRITE_PROTECT, as a write-protected volume
  // does: for the disk of an installation attached read-only.
  void ProtectDrive(char letter) { protectedDrives_ += static_cast<char>(std::toupper(letter)); }

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
  BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) override;
  BOOL CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists) override;

  DWORD GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD bufferLength) override;
  DWORD GetLongPathNameA(LPCSTR shortPath, LPSTR longPath, DWORD bufferLength) override;
  DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer,
                         LPSTR* filePart) override;
  DWORD GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer) override;
  BOOL SetCurrentDirectoryA(LPCSTR pathName) override;
  DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer) override;

  std::optional<std::string> HostPathOf(const std::string& windowsPath) override;
  std::optional<std::string> WindowsPathOf(const std::string& hostPath) const override;

 private:
  DWORD Resolve(LPCSTR path, FinalLink finalLink, ResolvedPath& resolved, std::string* full);
  std::string CurrentDirectory() const;
  DWORD CheckReplaceable(const ResolvedPath& target) const;
  // ERROR_WRITE_PROTECT when the path is on a protected drive.
  DWORD CheckWritable(const ResolvedPath& target) const;

  MachineImage image_;
  CodePage codePage_;
  EnvironmentReader environment_;
  ShareModes shareModes_;
  std::string protectedDrives_;  // upper-case letters
  // The process's current directory in this image, shared by every ImageFiles of the image in
  // the process (the program and the libraries it loads see one), as the system keeps one a
  // process.
  struct CurrentDirectoryState {
    std::mutex lock;  // guards path
    std::string path;
  };
  std::shared_ptr<CurrentDirectoryState> current_;
};

}  // namespace platform
