#include "list_folder.h"

#include <vector>

namespace vexmachine {

bool ListFolder(platform::Files& files, const std::string& folder, bool recursive, std::FILE* out,
                ListingTotals& totals, bool namesOnly) {
  using namespace platform;
  std::string base = folder;
  if (!base.empty() && base.back() != '\\') base += '\\';
  WIN32_FIND_DATAA data;
  HANDLE find = files.FindFirstFileExA(
      (base + "*").c_str(), namesOnly ? FindExInfoBasic : FindExInfoStandard, &data,
      FindExSearchNameMatch, nullptr, namesOnly ? FIND_FIRST_EX_NAMES_ONLY : 0);
  if (find == INVALID_HANDLE_VALUE) return false;
  std::vector<std::string> subfolders;
  do {
    std::string_view name(data.cFileName);
    if (name == "." || name == "..") continue;
    std::string path = base + data.cFileName;
    std::fputs(path.c_str(), out);
    std::fputc('\n', out);
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ++totals.folders;
      if (recursive && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        subfolders.push_back(std::move(path));
    } else {
      ++totals.files;
    }
  } while (files.FindNextFileA(find, &data));
  files.FindClose(find);
  for (const std::string& subfolder : subfolders) {
    ListFolder(files, subfolder, recursive, out, totals, namesOnly);
  }
  return true;
}

}  // namespace vexmachine
