// Files: folder enumeration with Windows wildcards.
#include <dirent.h>
#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/image/errno_errors.h"
#include "platform/image/file_facts.h"
#include "platform/image/image_files.h"
#include "platform/image/open_file.h"
#include "platform/last_error.h"
#include "platform/wildcard.h"

namespace platform {

namespace {

// Splits "C:\folder\*.txt" into the folder and the pattern; the pattern is taken as written
// (its dots matter), the folder is made full.
bool SplitPattern(const CodePage& codePage, std::string_view text, std::string& folder,
                  std::string& pattern) {
  std::size_t cut = std::string_view::npos;
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = codePage.CharLength(text, i);
    if (length == 1 && (text[i] == '\\' || text[i] == '/')) cut = i;
    i += length;
  }
  if (cut == std::string_view::npos) {
    bool drive = text.size() >= 2 && text[1] == ':';
    folder = drive ? std::string(text.substr(0, 2)) : ".";
    pattern = text.substr(drive ? 2 : 0);
  } else {
    folder = cut == 0 ? "\\" : std::string(text.substr(0, cut));
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';
    pattern = text.substr(cut + 1);
  }
  return !pattern.empty();
}

bool Fill(const MachineImage& image, const FileSearch& search, const FolderEntry& entry,
          WIN32_FIND_DATAA& data) {
  const bool dot = entry.name == "." || entry.name == "..";
  if (search.namesOnly && (dot || entry.type == DT_DIR || entry.type == DT_REG)) {
    // Field by field: a walk fills this for every entry, and the name is all it reads.
    data.dwFileAttributes =
        dot || entry.type == DT_DIR ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    data.ftCreationTime = data.ftLastAccessTime = data.ftLastWriteTime = FILETIME{};
    data.nFileSizeHigh = data.nFileSizeLow = data.dwReserved0 = data.dwReserved1 = 0;
    const std::size_t length = std::min(entry.name.size(), sizeof data.cFileName - 1);
    std::memcpy(data.cFileName, entry.name.data(), length);
    data.cFileName[length] = '\0';
    data.cAlternateFileName[0] = '\0';
    return true;
  }
  std::string host = entry.name == "."    ? search.hostFolder
                     : entry.name == ".." ? search.parentHostFolder
                                          : search.hostFolder + "/" + entry.name;
  FileFacts facts;
  if (ReadFileFactsAt(image, search.folderFd, entry.name, host, facts) != 0)
    return false;  // gone since the folder was read
  data = WIN32_FIND_DATAA{};
  data.dwFileAttributes = facts.attributes;
  data.ftCreationTime = facts.creation;
  data.ftLastAccessTime = facts.lastAccess;
  data.ftLastWriteTime = facts.lastWrite;
  data.nFileSizeHigh = static_cast<DWORD>(facts.size >> 32);
  data.nFileSizeLow = static_cast<DWORD>(facts.size);
  std::strncpy(data.cFileName, entry.name.c_str(), sizeof data.cFileName - 1);
  std::strncpy(data.cAlternateFileName, entry.shortName.c_str(),
               sizeof data.cAlternateFileName - 1);
  return true;
}

bool NextMatch(const MachineImage& image, FileSearch& search, WIN32_FIND_DATAA& data) {
  while (search.next < search.matches.size()) {
    if (Fill(image, search, search.matches[search.next++], data)) return true;
  }
  return false;
}

}  // namespace

HANDLE ImageFiles::FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA* findData) {
  return FindFirstFileExA(fileName, FindExInfoStandard, findData, FindExSearchNameMatch, nullptr,
                          0);
}

HANDLE ImageFiles::FindFirstFileExA(LPCSTR fileName, FINDEX_INFO_LEVELS level, void* data,
                                    FINDEX_SEARCH_OPS searchOp, void* filter, DWORD flags) {
  auto* findData = static_cast<WIN32_FIND_DATAA*>(data);
  if (!fileName || !findData || searchOp != FindExSearchNameMatch || filter ||
      (level != FindExInfoStandard && level != FindExInfoBasic))
    return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  std::string folder, pattern;
  if (!SplitPattern(codePage_, fileName, folder, pattern))
    return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
  ResolvedPath where;
  DWORD error = Resolve(folder.c_str(), FinalLink::Follow, where, nullptr);
  if (error == ERROR_SUCCESS && (!where.exists || !S_ISDIR(where.info.st_mode)))
    error = ERROR_PATH_NOT_FOUND;
  if (error != ERROR_SUCCESS) return Fail(error, INVALID_HANDLE_VALUE);

  auto search = std::make_shared<FileSearch>();
  search->hostFolder = where.host;
  search->folderFd = open(where.host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (search->folderFd < 0) return Fail(Win32ErrorFromErrno(errno), INVALID_HANDLE_VALUE);
  search->namesOnly = flags & FIND_FIRST_EX_NAMES_ONLY;
  std::vector<FolderEntry> entries;
  // Short names are made when they are asked for or may decide a match.
  const bool everyName = pattern == "*" || pattern == "*.*";
  const bool shortNames = level == FindExInfoStandard || !everyName;
  if (int failure = ReadFolderAt(codePage_, search->folderFd, entries, shortNames))
    return Fail(Win32ErrorFromErrno(failure), INVALID_HANDLE_VALUE);
  if (!where.longPath.components.empty()) {
    search->parentHostFolder = where.host.substr(0, where.host.rfind('/'));
    entries.insert(entries.begin(), {FolderEntry{".", ""}, FolderEntry{"..", ""}});
  }
  if (everyName) {
    search->matches = std::move(entries);
  } else {
    for (FolderEntry& entry : entries) {
      if (MatchesFileNamePattern(codePage_, pattern, entry.name) ||
          (!entry.shortName.empty() && MatchesFileNamePattern(codePage_, pattern, entry.shortName)))
        search->matches.push_back(std::move(entry));
    }
  }
  if (!NextMatch(image_, *search, *findData))
    return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
  SetLastError(ERROR_SUCCESS);
  return AddHandle(std::move(search));
}

BOOL ImageFiles::FindNextFileA(HANDLE find, WIN32_FIND_DATAA* findData) {
  auto search = LookUpHandleAs<FileSearch>(find);
  if (!search) return FALSE;
  if (!findData) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (!NextMatch(image_, *search, *findData)) return Fail(ERROR_NO_MORE_FILES, FALSE);
  return TRUE;
}

BOOL ImageFiles::FindClose(HANDLE find) {
  if (!LookUpHandleAs<FileSearch>(find)) return FALSE;
  return CloseHandle(find);
}

}  // namespace platform
