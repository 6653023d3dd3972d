// Seam: the registry calls of advapi32 and shlwapi, one function a call. Keys are the
// system's HKEY values as void*; statuses are the system's. Sizes and counts go in and out
// through std::uint32_t, copied to and from the system's DWORD around each call.
#pragma once

#include <cstddef>
#include <cstdint>

namespace win32 {

// The size of a FILETIME, which the calls below take as void*.
constexpr std::size_t kFileTimeSize = 8;

long OpenKey(void* key, const char* subKey, std::uint32_t options, std::uint32_t desired,
             void** result);
long CreateKey(void* key, const char* subKey, std::uint32_t reserved, char* keyClass,
               std::uint32_t options, std::uint32_t desired, const void* security, void** result,
               std::uint32_t* disposition);
long CloseKey(void* key);
long QueryValue(void* key, const char* valueName, std::uint32_t* type, unsigned char* data,
                std::uint32_t* dataSize);
long SetValue(void* key, const char* valueName, std::uint32_t reserved, std::uint32_t type,
              const unsigned char* data, std::uint32_t dataSize);
long EnumKey(void* key, std::uint32_t index, char* name, std::uint32_t nameSize);
long EnumKeyEx(void* key, std::uint32_t index, char* name, std::uint32_t* nameLength,
               char* keyClass, std::uint32_t* classLength, void* lastWriteTime);
long EnumValue(void* key, std::uint32_t index, char* valueName, std::uint32_t* valueNameLength,
               std::uint32_t* type, unsigned char* data, std::uint32_t* dataSize);
long QueryKeyInfo(void* key, char* keyClass, std::uint32_t* classLength, std::uint32_t* subKeys,
                  std::uint32_t* maxSubKeyLength, std::uint32_t* maxClassLength,
                  std::uint32_t* values, std::uint32_t* maxValueNameLength,
                  std::uint32_t* maxValueLength, std::uint32_t* securityDescriptorSize,
                  void* lastWriteTime);
long DeleteKey(void* key, const char* subKey);
long DeleteValue(void* key, const char* valueName);
long DeleteKeyTree(void* key, const char* subKey);  // shlwapi's SHDeleteKeyA

// True on Windows 95, 98 and ME, whose RegDeleteKeyA deletes a key with all its sub keys.
bool KeyDeleteTakesTree();

}  // namespace win32
