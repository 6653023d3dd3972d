// Writes ZIP archives for the tests with minizip: entries with their stored names, contents,
// MS-DOS date and time and external attributes.
#pragma once

#include <minizip/zip.h>

#include <string>
#include <vector>

namespace testing_support {

struct ZipItem {
  std::string name, content;
  bool folder = false;
};

// 2006-11-20 13:45:30 local time, for every entry.
inline bool WriteZip(const std::string& hostPath, const std::vector<ZipItem>& items) {
  zipFile archive = zipOpen64(hostPath.c_str(), APPEND_STATUS_CREATE);
  if (!archive) return false;
  bool ok = true;
  for (const ZipItem& item : items) {
    zip_fileinfo info{};
    info.tmz_date = {30, 45, 13, 20, 10, 2006};
    info.external_fa = item.folder ? 0x10 : 0x20;
    ok = ok &&
         zipOpenNewFileInZip(archive, item.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                             Z_DEFLATED, Z_DEFAULT_COMPRESSION) == ZIP_OK &&
         zipWriteInFileInZip(archive, item.content.data(),
                             static_cast<unsigned>(item.content.size())) == ZIP_OK &&
         zipCloseFileInZip(archive) == ZIP_OK;
  }
  return zipClose(archive, nullptr) == ZIP_OK && ok;
}

}  // namespace testing_support
