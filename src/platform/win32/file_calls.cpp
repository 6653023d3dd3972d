#include "platform/win32/file_calls.h"

#include "platform/win32/windows_door.h"

// After <windows.h>: shlwapi's declarations need its types.
#include <shlwapi.h>

namespace win32 {

static_assert(sizeof(WIN32_FIND_DATAA) == kFindDataSize);
static_assert(sizeof(WIN32_FILE_ATTRIBUTE_DATA) == kFileAttributeDataSize);
static_assert(sizeof(FILETIME) == kFileTimeSize);
static_assert(ERROR_CALL_NOT_IMPLEMENTED == kCallNotImplemented);

namespace {

// A function of kernel32 looked up by name, or null where this system lacks it.
template <typename Function>
Function BoundInKernel32(const char* name) {
  HMODULE kernel32 = ::GetModuleHandleA("kernel32.dll");
  if (!kernel32) return nullptr;
  // Through void*: the looked-up address has the generic FARPROC type.
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(kernel32, name)));
}

void* HandleOrNull(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

}  // namespace

void* CreateFileA(const char* name, std::uint32_t access, std::uint32_t share,
                  const void* securityAttributes, std::uint32_t disposition,
                  std::uint32_t flagsAndAttributes, void* templateFile) {
  auto* security = static_cast<SECURITY_ATTRIBUTES*>(const_cast<void*>(securityAttributes));
  return HandleOrNull(
      ::CreateFileA(name, access, share, security, disposition, flagsAndAttributes, templateFile));
}

bool ReadFile(void* file, void* buffer, std::uint32_t count, std::uint32_t* done,
              void* overlapped) {
  DWORD read = 0;  // always given: newer systems fault on a null count without overlapped
  BOOL ok = ::ReadFile(file, buffer, count, &read, static_cast<OVERLAPPED*>(overlapped));
  if (done) *done = read;
  return ok;
}

bool WriteFile(void* file, const void* buffer, std::uint32_t count, std::uint32_t* done,
               void* overlapped) {
  DWORD written = 0;
  BOOL ok = ::WriteFile(file, buffer, count, &written, static_cast<OVERLAPPED*>(overlapped));
  if (done) *done = written;
  return ok;
}

std::uint32_t SetFilePointer(void* file, std::int32_t distance, std::int32_t* distanceHigh,
                             std::uint32_t method) {
  LONG high = distanceHigh ? *distanceHigh : 0;
  DWORD low = ::SetFilePointer(file, distance, distanceHigh ? &high : nullptr, method);
  if (distanceHigh) *distanceHigh = high;
  return low;
}

bool SetFilePointerEx(void* file, std::int64_t distance, std::int64_t* position,
                      std::uint32_t method) {
  LONG high = static_cast<LONG>(distance >> 32);
  // A low part of 0xFFFFFFFF is a position too: only a set error tells a failure.
  ::SetLastError(NO_ERROR);
  DWORD low =
      ::SetFilePointer(file, static_cast<LONG>(static_cast<DWORD>(distance)), &high, method);
  if (low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR) return false;
  if (position) *position = static_cast<std::int64_t>(high) * 0x100000000ll + low;
  return true;
}

std::uint32_t GetFileSize(void* file, std::uint32_t* sizeHigh) {
  DWORD high = 0;
  DWORD low = ::GetFileSize(file, sizeHigh ? &high : nullptr);
  if (sizeHigh) *sizeHigh = high;
  return low;
}

bool GetFileSizeEx(void* file, std::int64_t* size) {
  DWORD high = 0;
  ::SetLastError(NO_ERROR);
  DWORD low = ::GetFileSize(file, &high);
  if (low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) return false;
  if (size) *size = static_cast<std::int64_t>(high) * 0x100000000ll + low;
  return true;
}

bool SetEndOfFile(void* file) {
  return ::SetEndOfFile(file);
}

bool FlushFileBuffers(void* file) {
  return ::FlushFileBuffers(file);
}

bool GetFileTime(void* file, void* creation, void* lastAccess, void* lastWrite) {
  return ::GetFileTime(file, static_cast<FILETIME*>(creation), static_cast<FILETIME*>(lastAccess),
                       static_cast<FILETIME*>(lastWrite));
}

bool SetFileTime(void* file, const void* creation, const void* lastAccess, const void* lastWrite) {
  return ::SetFileTime(file, static_cast<const FILETIME*>(creation),
                       static_cast<const FILETIME*>(lastAccess),
                       static_cast<const FILETIME*>(lastWrite));
}

void* FindFirstFileA(const char* pattern, void* findData) {
  return HandleOrNull(::FindFirstFileA(pattern, static_cast<WIN32_FIND_DATAA*>(findData)));
}

void* FindFirstFileExA(const char* pattern, int level, void* findData, int searchOp, void* filter,
                       std::uint32_t flags) {
  using Function =
      HANDLE(WINAPI*)(LPCSTR, FINDEX_INFO_LEVELS, LPVOID, FINDEX_SEARCH_OPS, LPVOID, DWORD);
  static const Function call = BoundInKernel32<Function>("FindFirstFileExA");
  if (!call) {
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return nullptr;
  }
  return HandleOrNull(call(pattern, static_cast<FINDEX_INFO_LEVELS>(level), findData,
                           static_cast<FINDEX_SEARCH_OPS>(searchOp), filter, flags));
}

bool FindNextFileA(void* find, void* findData) {
  return ::FindNextFileA(find, static_cast<WIN32_FIND_DATAA*>(findData));
}

std::uint32_t GetFileAttributesA(const char* name) {
  return ::GetFileAttributesA(name);
}

bool GetFileAttributesExA(const char* name, int level, void* information) {
  using Function = BOOL(WINAPI*)(LPCSTR, GET_FILEEX_INFO_LEVELS, LPVOID);
  static const Function call = BoundInKernel32<Function>("GetFileAttributesExA");
  if (!call) {
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return false;
  }
  return call(name, static_cast<GET_FILEEX_INFO_LEVELS>(level), information);
}

bool SetFileAttributesA(const char* name, std::uint32_t attributes) {
  return ::SetFileAttributesA(name, attributes);
}

bool PathFileExistsA(const char* path) {
  return ::PathFileExistsA(path);
}

bool DeleteFileA(const char* name) {
  return ::DeleteFileA(name);
}

bool CreateDirectoryA(const char* name, const void* securityAttributes) {
  return ::CreateDirectoryA(
      name, static_cast<SECURITY_ATTRIBUTES*>(const_cast<void*>(securityAttributes)));
}

bool RemoveDirectoryA(const char* name) {
  return ::RemoveDirectoryA(name);
}

bool MoveFileA(const char* from, const char* to) {
  return ::MoveFileA(from, to);
}

bool MoveFileExA(const char* from, const char* to, std::uint32_t flags) {
  return ::MoveFileExA(from, to, flags);
}

bool CopyFileA(const char* from, const char* to, bool failIfExists) {
  return ::CopyFileA(from, to, failIfExists);
}

std::uint32_t GetShortPathNameA(const char* longPath, char* shortPath, std::uint32_t length) {
  return ::GetShortPathNameA(longPath, shortPath, length);
}

std::uint32_t GetLongPathNameA(const char* shortPath, char* longPath, std::uint32_t length) {
  using Function = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);
  static const Function call = BoundInKernel32<Function>("GetLongPathNameA");
  if (!call) {
    ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return 0;
  }
  return call(shortPath, longPath, length);
}

std::uint32_t GetFullPathNameA(const char* name, std::uint32_t length, char* buffer,
                               char** filePart) {
  return ::GetFullPathNameA(name, length, buffer, filePart);
}

std::uint32_t GetCurrentDirectoryA(std::uint32_t length, char* buffer) {
  return ::GetCurrentDirectoryA(length, buffer);
}

bool SetCurrentDirectoryA(const char* path) {
  return ::SetCurrentDirectoryA(path);
}

std::uint32_t GetTempPathA(std::uint32_t length, char* buffer) {
  return ::GetTempPathA(length, buffer);
}

}  // namespace win32
