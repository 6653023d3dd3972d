#include <string>
#include <vector>

#include "platform/last_error.h"
#include "platform/scheduler.h"

namespace platform {
namespace {
constexpr std::size_t kMaxJobFileSize = 1 << 20;
}  // namespace

std::string TaskStore::Folder() {
  if (auto folder =
          system_.ReadExpanded(HKEY_LOCAL_MACHINE, kSchedulingAgentKey, kTasksFolderValue)) {
    std::string expanded = *folder;
    while (!expanded.empty() && expanded.back() == '\\') expanded.pop_back();
    if (!expanded.empty()) return expanded;
  }
  return system_.WindowsDirectory() + "\\Tasks";
}

std::vector<std::string> TaskStore::Names() {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE find = files_.FindFirstFileA((Folder() + "\\*.job").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::string name = found.cFileName;
    if (name.size() > 4) names.push_back(name.substr(0, name.size() - 4));
  } while (files_.FindNextFileA(find, &found));
  files_.FindClose(find);
  return names;
}

DWORD TaskStore::Read(const std::string& path, JobFile& job) {
  HANDLE file = files_.CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  std::string bytes;
  char block[4096];
  DWORD read = 0;
  bool fine = true;
  while ((fine = files_.ReadFile(file, block, sizeof block, &read, nullptr)) && read > 0) {
    bytes.append(block, read);
    if (bytes.size() > kMaxJobFileSize) break;
  }
  const DWORD error = fine ? ERROR_SUCCESS : GetLastError();
  CloseHandle(file);
  if (error) return error;
  if (bytes.size() > kMaxJobFileSize) return ERROR_INVALID_DATA;
  auto decoded = DecodeJobFile(bytes);
  if (!decoded) return ERROR_INVALID_DATA;
  job = std::move(*decoded);
  return ERROR_SUCCESS;
}

DWORD TaskStore::Write(const std::string& path, const JobFile& job) {
  const std::string bytes = EncodeJobFile(job);
  const std::string partial = path + ".new";
  HANDLE file = files_.CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  DWORD wrote = 0;
  bool written =
      files_.WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr) &&
      wrote == bytes.size() && files_.FlushFileBuffers(file);
  DWORD error = written ? ERROR_SUCCESS : GetLastError();
  CloseHandle(file);
  if (written && !files_.MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    written = false;
    error = GetLastError();
  }
  if (!written) {
    files_.DeleteFileA(partial.c_str());
    return error ? error : ERROR_WRITE_FAULT;
  }
  return ERROR_SUCCESS;
}

std::optional<std::string> TaskStore::Account(const std::string& fileName) {
  return system_.ReadText(HKEY_LOCAL_MACHINE, kTaskAccountsKey, fileName);
}

DWORD TaskStore::SetAccount(const std::string& fileName, const std::string& account) {
  HKEY key = nullptr;
  LONG status =
      registry_.RegCreateKeyExA(HKEY_LOCAL_MACHINE, kTaskAccountsKey, 0, nullptr,
                                REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) return static_cast<DWORD>(status);
  status = account.empty()
               ? registry_.RegDeleteValueA(key, fileName.c_str())
               : registry_.RegSetValueExA(key, fileName.c_str(), 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>(account.c_str()),
                                          static_cast<DWORD>(account.size() + 1));
  registry_.RegCloseKey(key);
  return status == ERROR_FILE_NOT_FOUND && account.empty() ? ERROR_SUCCESS
                                                           : static_cast<DWORD>(status);
}

}  // namespace platform
