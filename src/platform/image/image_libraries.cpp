#include "platform/image/image_libraries.h"

#include <dlfcn.h>

#include <filesystem>
#include <vector>

#include "platform/last_error.h"

namespace platform {

std::optional<std::string> ImageLibraries::FindLibrary(const std::string& name) {
  if (name.empty()) return std::nullopt;
  auto exists = [&](const std::string& path) {
    const DWORD attributes = files_.GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  };
  if (name.find_first_of("\\/:") != std::string::npos)
    return exists(name) ? std::optional<std::string>(name) : std::nullopt;
  std::vector<std::string> folders;
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error) {
    if (auto own = files_.WindowsPathOf(self.parent_path().string())) folders.push_back(*own);
  }
  folders.push_back(system_.SystemDirectory());
  folders.push_back(system_.WindowsDirectory());
  char current[MAX_PATH];
  if (files_.GetCurrentDirectoryA(sizeof current, current) < sizeof current)
    folders.push_back(current);
  for (std::string& folder : system_.PathFolders()) folders.push_back(std::move(folder));
  for (const std::string& folder : folders) {
    const std::string full = folder + (folder.ends_with("\\") ? "" : "\\") + name;
    if (exists(full)) return full;
  }
  return std::nullopt;
}

HMODULE ImageLibraries::LoadLibraryA(LPCSTR name) {
  if (!name) return Fail(ERROR_INVALID_PARAMETER, HMODULE{});
  const auto found = FindLibrary(name);
  const auto host = found ? files_.HostPathOf(*found) : std::nullopt;
  if (!host) return Fail(ERROR_MOD_NOT_FOUND, HMODULE{});
  HMODULE module = dlopen(host->c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) return Fail(ERROR_BAD_EXE_FORMAT, HMODULE{});
  return module;
}

FARPROC ImageLibraries::GetProcAddress(HMODULE module, LPCSTR name) {
  if (!module || !name) return Fail(ERROR_INVALID_HANDLE, FARPROC{});
  void* symbol = dlsym(module, name);
  if (!symbol) return Fail(ERROR_PROC_NOT_FOUND, FARPROC{});
  return reinterpret_cast<FARPROC>(symbol);
}

BOOL ImageLibraries::FreeLibrary(HMODULE module) {
  if (!module || dlclose(module) != 0) return Fail(ERROR_INVALID_HANDLE, FALSE);
  return TRUE;
}

HMODULE ImageLibraries::LoadLibraryExA(LPCSTR name, HANDLE, DWORD) {
  // A shared object's constructors run whatever the flags say; resource libraries have none.
  return LoadLibraryA(name);
}

int ImageLibraries::LoadStringA(HMODULE module, UINT id, LPSTR buffer, int size) {
  using LoadString = int (*)(unsigned, char*, int);
  auto load = reinterpret_cast<LoadString>(GetProcAddress(module, "VxLoadString"));
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  if (!load) return 0;
  return load(id, buffer, size);
}

std::optional<std::string> ImageLibraries::ResourceBytes(HMODULE module, UINT type, UINT id) {
  using FindData = const unsigned char* (*)(unsigned, unsigned*);
  const char* entry = type == RT_HTML ? "VxFindPage" : type == RT_BITMAP ? "VxFindBitmap" : nullptr;
  if (!entry) return Fail(ERROR_RESOURCE_TYPE_NOT_FOUND, std::optional<std::string>());
  auto find = reinterpret_cast<FindData>(GetProcAddress(module, entry));
  if (!find) return Fail(ERROR_RESOURCE_TYPE_NOT_FOUND, std::optional<std::string>());
  unsigned size = 0;
  const unsigned char* data = find(id, &size);
  if (!data) return Fail(ERROR_RESOURCE_DATA_NOT_FOUND, std::optional<std::string>());
  return std::string(reinterpret_cast<const char*>(data), size);
}

}  // namespace platform
