#include "updater/zip_extract.h"

#include <minizip/unzip.h>

#include <ctime>
#include <memory>

#include "foundation/folder_path.h"
#include "platform/file_time.h"
#include "platform/handles.h"

namespace updater {
namespace {

using namespace platform;

constexpr std::size_t kCopyBlock = 2048;
constexpr DWORD kDirectoryAttribute = 0x10;

struct ArchiveCloser {
  void operator()(void* archive) const { unzClose(archive); }
};
using Archive = std::unique_ptr<void, ArchiveCloser>;

// The entry's MS-DOS date and time, local time in the archive, as a FILETIME.
FILETIME EntryTime(const unz_file_info64& info) {
  std::tm local{};
  local.tm_sec = static_cast<int>(info.tmu_date.tm_sec);
  local.tm_min = static_cast<int>(info.tmu_date.tm_min);
  local.tm_hour = static_cast<int>(info.tmu_date.tm_hour);
  local.tm_mday = static_cast<int>(info.tmu_date.tm_mday);
  local.tm_mon = static_cast<int>(info.tmu_date.tm_mon);
  local.tm_year = static_cast<int>(info.tmu_date.tm_year) - 1900;
  local.tm_isdst = -1;
  const std::time_t seconds = std::mktime(&local);
  return FileTimeFromUnix(seconds == -1 ? 0 : seconds, 0);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Writes the open entry to a file beside target and renames it over target.
bool WriteEntry(Files& files, void* archive, const std::string& target, const FILETIME& time) {
  if (unzOpenCurrentFile(archive) != UNZ_OK) return false;
  const std::string partial = target + ".partial";
  HANDLE file =
      files.CreateFileA(partial.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool complete = file != INVALID_HANDLE_VALUE;
  char block[kCopyBlock];
  while (complete) {
    const int read = unzReadCurrentFile(archive, block, sizeof block);
    if (read == 0) break;
    DWORD wrote = 0;
    complete = read > 0 &&
               files.WriteFile(file, block, static_cast<DWORD>(read), &wrote, nullptr) &&
               wrote == static_cast<DWORD>(read);
  }
  // A damaged entry fails its check here.
  if (unzCloseCurrentFile(archive) != UNZ_OK) complete = false;
  if (file != INVALID_HANDLE_VALUE) {
    if (complete) complete = files.SetFileTime(file, &time, nullptr, &time);
    CloseHandle(file);
  }
  if (complete)
    complete = files.MoveFileExA(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
  if (!complete) files.DeleteFileA(partial.c_str());
  return complete;
}

}  // namespace

bool StaysBelowRoot(const std::string& name) {
  if (name.empty() || name[0] == '\\' || name.find(':') != std::string::npos) return false;
  std::size_t start = 0;
  while (start <= name.size()) {
    const std::size_t end = std::min(name.find('\\', start), name.size());
    if (name.compare(start, end - start, "..") == 0 && end - start == 2) return false;
    start = end + 1;
  }
  return true;
}

ZipResult ExtractZip(Files& files, const std::string& archivePath, const std::string& root) {
  const auto host = files.HostPathOf(archivePath);
  Archive archive(host ? unzOpen64(host->c_str()) : nullptr);
  if (!archive) return ZipResult::NotAnArchive;
  const DWORD rootAttributes = files.GetFileAttributesA(root.c_str());
  if (rootAttributes != INVALID_FILE_ATTRIBUTES && !(rootAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return ZipResult::Stopped;
  if (!foundation::EnsureFolderPath(files, root)) return ZipResult::Stopped;
  const std::string base = root.empty() || root.back() == '\\' ? root : root + "\\";
  int status = unzGoToFirstFile(archive.get());
  while (status == UNZ_OK) {
    unz_file_info64 info{};
    char stored[MAX_PATH + 1] = {};
    if (unzGetCurrentFileInfo64(archive.get(), &info, stored, MAX_PATH, nullptr, 0, nullptr, 0) !=
        UNZ_OK)
      return ZipResult::Stopped;
    std::string name(stored);
    for (char& c : name)
      if (c == '/') c = '\\';
    const bool folder =
        (info.external_fa & kDirectoryAttribute) != 0 || (!name.empty() && name.back() == '\\');
    while (!name.empty() && name.back() == '\\') name.pop_back();
    if (!StaysBelowRoot(name)) return ZipResult::Stopped;
    const std::string target = base + name;
    if (folder) {
      if (!foundation::EnsureFolderPath(files, target)) return ZipResult::Stopped;
    } else {
      const std::string parent = FolderOf(target);
      if (!parent.empty() && !foundation::EnsureFolderPath(files, parent))
        return ZipResult::Stopped;
      if (!WriteEntry(files, archive.get(), target, EntryTime(info))) return ZipResult::Stopped;
    }
    status = unzGoToNextFile(archive.get());
  }
  return status == UNZ_END_OF_LIST_OF_FILE ? ZipResult::Extracted : ZipResult::Stopped;
}

}  // namespace updater
