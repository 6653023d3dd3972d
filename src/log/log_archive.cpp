#include "log/log_archive.h"

#include <minizip/zip.h>

#include <ctime>
#include <memory>

#include "platform/file_time.h"
#include "platform/handles.h"
#include "platform/local_time.h"

namespace logging {
namespace {

using namespace platform;

constexpr DWORD kCopyBlock = 64 * 1024;

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string WithoutExtension(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

struct ArchiveCloser {
  void operator()(void* archive) const { zipClose(archive, nullptr); }
};

// The local date and time of a file's last write, as the archive keeps it.
zip_fileinfo EntryInfo(const FILETIME& written) {
  zip_fileinfo info{};
  const std::time_t seconds = UnixFromFileTime(written).seconds;
  const std::tm local = platform::LocalTimeOf(seconds);
  info.tmz_date.tm_sec = static_cast<unsigned>(local.tm_sec);
  info.tmz_date.tm_min = static_cast<unsigned>(local.tm_min);
  info.tmz_date.tm_hour = static_cast<unsigned>(local.tm_hour);
  info.tmz_date.tm_mday = static_cast<unsigned>(local.tm_mday);
  info.tmz_date.tm_mon = static_cast<unsigned>(local.tm_mon);
  info.tmz_date.tm_year = static_cast<unsigned>(local.tm_year + 1900);
  return info;
}

bool AddFile(Files& files, void* archive, const std::string& path) {
  HANDLE file = files.CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  FILETIME written;
  files.GetFileTime(file, nullptr, nullptr, &written);
  const zip_fileinfo info = EntryInfo(written);
  bool fine = zipOpenNewFileInZip(archive, NameOf(path).c_str(), &info, nullptr, 0, nullptr, 0,
                                  nullptr, Z_DEFLATED, Z_DEFAULT_COMPRESSION) == ZIP_OK;
  const bool opened = fine;
  std::unique_ptr<char[]> block(new char[kCopyBlock]);
  DWORD read = 0;
  while (fine && (fine = files.ReadFile(file, block.get(), kCopyBlock, &read, nullptr)) && read > 0)
    fine = zipWriteInFileInZip(archive, block.get(), read) == ZIP_OK;
  if (opened && zipCloseFileInZip(archive) != ZIP_OK) fine = false;
  CloseHandle(file);
  return fine;
}

}  // namespace

std::string ArchivePathFor(Files& files, const std::vector<std::string>& chosen,
                           const std::string& logsFolder) {
  if (chosen.empty()) return {};
  std::string folder = chosen.size() == 1 ? FolderOf(chosen.front()) : logsFolder;
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  const std::string stem = folder + WithoutExtension(NameOf(chosen.front()));
  std::string path = stem + ".zip";
  for (int copy = 2; files.GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; ++copy)
    path = stem + " (" + std::to_string(copy) + ").zip";
  return path;
}

bool PackFiles(Files& files, const std::string& archive, const std::vector<std::string>& paths) {
  const auto host = files.HostPathOf(archive);
  if (!host) return false;
  bool fine = true;
  {
    std::unique_ptr<void, ArchiveCloser> zip(zipOpen(host->c_str(), APPEND_STATUS_CREATE));
    if (!zip) return false;
    for (const std::string& path : paths) {
      if (!(fine = AddFile(files, zip.get(), path))) break;
    }
    if (fine) fine = zipClose(zip.release(), nullptr) == ZIP_OK;
  }
  if (!fine) files.DeleteFileA(archive.c_str());
  return fine;
}

}  // namespace logging
