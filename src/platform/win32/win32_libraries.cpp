#include "platform/win32/win32_libraries.h"

#include <cstdint>

#include "platform/last_error.h"
#include "platform/win32/library_calls.h"

namespace platform {

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;  // BITMAPFILEHEADER
constexpr std::uint32_t kCoreHeaderSize = 12;  // BITMAPCOREHEADER (OS/2 bitmaps)
constexpr std::uint32_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER
constexpr std::uint32_t kBitFields = 3;        // BI_BITFIELDS
constexpr std::uint32_t kAlphaBitFields = 6;   // BI_ALPHABITFIELDS

constexpr DWORD kBadFormat = 11;      // ERROR_BAD_FORMAT
constexpr DWORD kDllNotFound = 1157;  // ERROR_DLL_NOT_FOUND

// The loader's failure in the layer's two codes. Windows 9x reports a missing library as
// ERROR_DLL_NOT_FOUND (or the file's own error) and a file that is no library as
// ERROR_BAD_FORMAT, where NT says ERROR_MOD_NOT_FOUND and ERROR_BAD_EXE_FORMAT.
HMODULE Loaded(HMODULE module) {
  if (module) return module;
  const DWORD error = GetLastError();
  if (error == kDllNotFound || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
    SetLastError(ERROR_MOD_NOT_FOUND);
  else if (error == kBadFormat)
    SetLastError(ERROR_BAD_EXE_FORMAT);
  return nullptr;
}

std::uint32_t Little(const std::string& bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i)
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

void AppendLittle(std::string& bytes, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes += static_cast<char>(value >> (8 * i) & 0xFF);
}

// Where the pixels of a bitmap resource (a DIB: its header, colour masks, colour table, then
// the pixels) start in its bitmap file; nothing when the header does not fit the resource.
std::optional<std::uint64_t> PixelOffset(const std::string& dib) {
  if (dib.size() < 4) return std::nullopt;
  const std::uint32_t headerSize = Little(dib, 0, 4);
  std::uint64_t colours = 0, entrySize = 4, masks = 0;
  if (headerSize == kCoreHeaderSize) {
    if (dib.size() < kCoreHeaderSize) return std::nullopt;
    const std::uint32_t bits = Little(dib, 10, 2);
    if (bits >= 1 && bits <= 8) colours = 1u << bits;
    entrySize = 3;  // RGBTRIPLE
  } else {
    if (headerSize < kInfoHeaderSize || dib.size() < headerSize) return std::nullopt;
    const std::uint32_t bits = Little(dib, 14, 2);
    const std::uint32_t compression = Little(dib, 16, 4);
    const std::uint32_t used = Little(dib, 32, 4);
    colours = used ? used : bits >= 1 && bits <= 8 ? 1u << bits : 0;
    // Later headers hold their masks themselves.
    if (headerSize == kInfoHeaderSize && compression == kBitFields) masks = 12;
    if (headerSize == kInfoHeaderSize && compression == kAlphaBitFields) masks = 16;
  }
  const std::uint64_t offset = kFileHeaderSize + headerSize + masks + colours * entrySize;
  if (offset > kFileHeaderSize + dib.size()) return std::nullopt;
  return offset;
}

}  // namespace

HMODULE Win32Libraries::LoadLibraryA(LPCSTR name) {
  return Loaded(win32::OpenLibrary(name));
}

HMODULE Win32Libraries::LoadLibraryExA(LPCSTR name, HANDLE, DWORD flags) {
  // The system wants the reserved handle null, whatever the caller gave.
  return Loaded(win32::OpenLibraryEx(name, flags));
}

FARPROC Win32Libraries::GetProcAddress(HMODULE module, LPCSTR name) {
  return win32::LibraryProcedure(module, name);
}

BOOL Win32Libraries::FreeLibrary(HMODULE module) {
  return win32::CloseLibrary(module) ? TRUE : FALSE;
}

int Win32Libraries::LoadStringA(HMODULE module, UINT id, LPSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';  // the system leaves the buffer as it was when there is no such text
  return win32::LibraryString(module, id, buffer, size);
}

std::optional<std::string> Win32Libraries::ResourceBytes(HMODULE module, UINT type, UINT id) {
  std::string bytes;
  if (!win32::LibraryResource(module, type, id, bytes)) return std::nullopt;
  if (type != RT_BITMAP) return bytes;
  // The resource compiler keeps a bitmap without its file header: it is put back.
  const auto offset = PixelOffset(bytes);
  if (!offset) return Fail(ERROR_INVALID_DATA, std::optional<std::string>());
  std::string file = "BM";
  AppendLittle(file, static_cast<std::uint32_t>(kFileHeaderSize + bytes.size()), 4);
  AppendLittle(file, 0, 4);  // the two reserved words
  AppendLittle(file, static_cast<std::uint32_t>(*offset), 4);
  return file + bytes;
}

}  // namespace platform
