// Files: opening, reading, writing, positions, sizes and times of the system's file handles.
#include "platform/win32/win32_files.h"

#include "platform/last_error.h"
#include "platform/win32/file_calls.h"
#include "platform/win32/system_handles.h"

namespace platform {

static_assert(sizeof(FILETIME) == win32::kFileTimeSize);

namespace {

void* FileOf(HANDLE file) {
  return SystemHandleOf(file, SystemHandleKind::File);
}

}  // namespace

HANDLE Win32Files::CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                               const void* securityAttributes, DWORD creationDisposition,
                               DWORD flagsAndAttributes, HANDLE templateFile) {
  void* systemTemplate = nullptr;
  if (templateFile && !(systemTemplate = FileOf(templateFile))) return INVALID_HANDLE_VALUE;
  void* file = win32::CreateFileA(fileName, desiredAccess, shareMode, securityAttributes,
                                  creationDisposition, flagsAndAttributes, systemTemplate);
  if (!file) return INVALID_HANDLE_VALUE;
  // ERROR_ALREADY_EXISTS tells CREATE_ALWAYS and OPEN_ALWAYS that an old file was opened.
  const DWORD error = GetLastError();
  HANDLE handle = AddSystemHandle(file, SystemHandleKind::File);
  if (!handle) return Fail(ERROR_NOT_ENOUGH_MEMORY, INVALID_HANDLE_VALUE);
  SetLastError(error);
  return handle;
}

BOOL Win32Files::ReadFile(HANDLE handle, void* buffer, DWORD bytesToRead, DWORD* bytesRead,
                          void* overlapped) {
  if (bytesRead) *bytesRead = 0;
  void* file = FileOf(handle);
  if (!file) return FALSE;
  return win32::ReadFile(file, buffer, bytesToRead, bytesRead, overlapped);
}

BOOL Win32Files::WriteFile(HANDLE handle, const void* buffer, DWORD bytesToWrite,
                           DWORD* bytesWritten, void* overlapped) {
  if (bytesWritten) *bytesWritten = 0;
  void* file = FileOf(handle);
  if (!file) return FALSE;
  return win32::WriteFile(file, buffer, bytesToWrite, bytesWritten, overlapped);
}

DWORD Win32Files::SetFilePointer(HANDLE handle, LONG distance, LONG* distanceHigh,
                                 DWORD moveMethod) {
  void* file = FileOf(handle);
  if (!file) return INVALID_SET_FILE_POINTER;
  return win32::SetFilePointer(file, distance, distanceHigh, moveMethod);
}

BOOL Win32Files::SetFilePointerEx(HANDLE handle, LARGE_INTEGER distance, LARGE_INTEGER* newPosition,
                                  DWORD moveMethod) {
  void* file = FileOf(handle);
  if (!file) return FALSE;
  LONGLONG position = 0;
  if (!win32::SetFilePointerEx(file, distance.QuadPart, &position, moveMethod)) return FALSE;
  if (newPosition) newPosition->QuadPart = position;
  return TRUE;
}

DWORD Win32Files::GetFileSize(HANDLE handle, DWORD* sizeHigh) {
  void* file = FileOf(handle);
  if (!file) return INVALID_FILE_SIZE;
  return win32::GetFileSize(file, sizeHigh);
}

BOOL Win32Files::GetFileSizeEx(HANDLE handle, LARGE_INTEGER* size) {
  void* file = FileOf(handle);
  if (!file) return FALSE;
  LONGLONG bytes = 0;
  if (!win32::GetFileSizeEx(file, &bytes)) return FALSE;
  if (size) size->QuadPart = bytes;
  return TRUE;
}

BOOL Win32Files::SetEndOfFile(HANDLE handle) {
  void* file = FileOf(handle);
  return file && win32::SetEndOfFile(file);
}

BOOL Win32Files::FlushFileBuffers(HANDLE handle) {
  void* file = FileOf(handle);
  return file && win32::FlushFileBuffers(file);
}

BOOL Win32Files::GetFileTime(HANDLE handle, FILETIME* creation, FILETIME* lastAccess,
                             FILETIME* lastWrite) {
  void* file = FileOf(handle);
  return file && win32::GetFileTime(file, creation, lastAccess, lastWrite);
}

BOOL Win32Files::SetFileTime(HANDLE handle, const FILETIME* creation, const FILETIME* lastAccess,
                             const FILETIME* lastWrite) {
  void* file = FileOf(handle);
  return file && win32::SetFileTime(file, creation, lastAccess, lastWrite);
}

}  // namespace platform
