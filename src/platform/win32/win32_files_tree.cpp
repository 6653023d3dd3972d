// Files: attributes, deleting, folders, moving and copying.
#include "platform/last_error.h"
#include "platform/win32/file_calls.h"
#include "platform/win32/file_fallbacks.h"
#include "platform/win32/win32_files.h"

namespace platform {

static_assert(sizeof(WIN32_FILE_ATTRIBUTE_DATA) == win32::kFileAttributeDataSize);

DWORD Win32Files::GetFileAttributesA(LPCSTR fileName) {
  return win32::GetFileAttributesA(fileName);
}

BOOL Win32Files::GetFileAttributesExA(LPCSTR fileName, GET_FILEEX_INFO_LEVELS level,
                                      void* information) {
  if (!information) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (win32::GetFileAttributesExA(fileName, level, information)) return TRUE;
  if (GetLastError() != win32::kCallNotImplemented) return FALSE;
  if (level != GetFileExInfoStandard) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  return AttributesByFinding(codePage_, fileName,
                             *static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(information));
}

BOOL Win32Files::SetFileAttributesA(LPCSTR fileName, DWORD attributes) {
  return win32::SetFileAttributesA(fileName, attributes);
}

BOOL Win32Files::PathFileExistsA(LPCSTR path) {
  return win32::PathFileExistsA(path);
}

BOOL Win32Files::DeleteFileA(LPCSTR fileName) {
  return win32::DeleteFileA(fileName);
}

BOOL Win32Files::CreateDirectoryA(LPCSTR pathName, const void* securityAttributes) {
  return win32::CreateDirectoryA(pathName, securityAttributes);
}

BOOL Win32Files::RemoveDirectoryA(LPCSTR pathName) {
  return win32::RemoveDirectoryA(pathName);
}

BOOL Win32Files::MoveFileA(LPCSTR existingFileName, LPCSTR newFileName) {
  return win32::MoveFileA(existingFileName, newFileName);
}

BOOL Win32Files::MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) {
  return win32::MoveFileExA(existingFileName, newFileName, flags);
}

BOOL Win32Files::CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists) {
  return win32::CopyFileA(existingFileName, newFileName, failIfExists);
}

}  // namespace platform
