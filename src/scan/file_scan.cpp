// Walking folders for file and folder traces, sweeping spyware folders, and looking paths
// and digests up in the definitions' tables.
#include "scan/pattern_match.h"
#include "scan/scan_engine.h"

namespace scan {
namespace {

bool IsDotEntry(std::string_view name) {
  return name == "." || name == "..";
}

bool HasTilde(const std::string& text) {
  return text.find('~') != std::string::npos;
}

// The path without a leading drive ("c:").
std::string WithoutDrive(std::string text) {
  if (text.size() >= 2 && text[1] == ':') text.erase(0, 2);
  return text;
}

template <typename Row>
std::vector<std::string> Keys(const std::vector<Row>& table, const platform::CodePage& code,
                              bool dropDrive) {
  std::vector<std::string> keys;
  keys.reserve(table.size());
  for (const Row& row : table) {
    std::string key = code.Lower(row.key);
    keys.push_back(dropDrive ? WithoutDrive(std::move(key)) : std::move(key));
  }
  return keys;
}

}  // namespace

void ScanEngine::IndexDefinitions() {
  const platform::CodePage& code = machine_.Code();
  fileKeys_ = Keys(database_.FileTable(), code, true);
  folderKeys_ = Keys(database_.FolderTable(), code, false);
  digestKeys_ = Keys(database_.DigestTable(), code, false);
  fileIndex_.Build(fileKeys_);
  folderIndex_.Build(folderKeys_);
  digestIndex_.Build(digestKeys_);
}

std::string ScanEngine::ShortPath(const std::string& text) {
  char buffer[1000];
  const platform::DWORD length =
      machine_.files().GetShortPathNameA(text.c_str(), buffer, sizeof buffer);
  return length == 0 || length >= sizeof buffer ? text : std::string(buffer, length);
}

std::uint64_t ScanEngine::FileSize(const std::string& path) {
  platform::Files& files = machine_.files();
  platform::HANDLE file =
      files.CreateFileA(path.c_str(), platform::GENERIC_READ, platform::FILE_SHARE_READ, nullptr,
                        platform::OPEN_EXISTING, 0, nullptr);
  if (file == platform::INVALID_HANDLE_VALUE) return 0;
  platform::LARGE_INTEGER size{};
  const bool read = files.GetFileSizeEx(file, &size);
  platform::CloseHandle(file);
  return read ? static_cast<std::uint64_t>(size.QuadPart) : 0;
}

const definitions::SpywareEntry* ScanEngine::LookupDirectory(const std::string& path) {
  const std::string lowerPath = machine_.Code().Lower(path);
  std::vector<std::size_t> rows;
  folderIndex_.Candidates(lowerPath, rows);
  for (std::size_t row : rows) {
    if (PatternMatch(folderKeys_[row], lowerPath) && machine_.files().PathFileExistsA(path.c_str()))
      return database_.FolderTable()[row].entry;
  }
  return nullptr;
}

// One row of the file table against a path, as the linear search compares them: an 8.3 name
// on either side brings the other to its short form, drive letters are dropped, and a row
// with a size also needs the file to have that size.
bool ScanEngine::FileRowMatches(std::size_t row, const std::string& path, bool pathHasTilde,
                                const std::string& lowerPath, std::string& shortLowerPath) {
  const platform::CodePage& code = machine_.Code();
  const auto& entry = database_.FileTable()[row];
  // The prepared key, unless the row must take its short form first.
  std::string shortPattern;
  const std::string* pattern = &fileKeys_[row];
  if (pathHasTilde) {
    shortPattern = WithoutDrive(code.Lower(ShortPath(std::string(entry.key))));
    pattern = &shortPattern;
  }
  const std::string* text = &lowerPath;
  if (HasTilde(*pattern)) {
    if (shortLowerPath.empty()) shortLowerPath = WithoutDrive(code.Lower(ShortPath(path)));
    text = &shortLowerPath;
  }
  if (!PatternMatch(*pattern, *text)) return false;
  return entry.trace->size == 0 || FileSize(path) == static_cast<std::uint32_t>(entry.trace->size);
}

const definitions::SpywareEntry* ScanEngine::LookupFile(const std::string& path) {
  return LookupFile(path, WithoutDrive(machine_.Code().Lower(path)));
}

const definitions::SpywareEntry* ScanEngine::LookupFile(const std::string& path,
                                                        const std::string& lowerPath) {
  const bool pathHasTilde = HasTilde(path);
  std::string shortLowerPath;
  std::vector<std::size_t>& rows = fileCandidates_;  // kept, so that its memory is too
  if (pathHasTilde) {
    // Every row may take its short form here: search them all, in order.
    rows.resize(fileIndex_.Size());
    for (std::size_t row = 0; row < rows.size(); ++row) rows[row] = row;
  } else {
    fileIndex_.Candidates(lowerPath, rows);
  }
  for (std::size_t row : rows)
    if (FileRowMatches(row, path, pathHasTilde, lowerPath, shortLowerPath))
      return database_.FileTable()[row].entry;
  return nullptr;
}

const definitions::SpywareEntry* ScanEngine::LookupProcessDigest(const std::string& digest) {
  const std::string lowerDigest = machine_.Code().Lower(digest);
  std::vector<std::size_t> rows;
  digestIndex_.Candidates(lowerDigest, rows);
  for (std::size_t row : rows)
    if (PatternMatch(digestKeys_[row], lowerDigest)) return database_.DigestTable()[row].entry;
  return nullptr;
}

template <typename Visit>
void ScanEngine::EnumerateFolder(const std::string& folder, Visit visit) {
  platform::Files& files = machine_.files();
  platform::WIN32_FIND_DATAA found;
  // Names and the folder bit are all a walk needs; a size is read only for a matched row.
  platform::HANDLE search = files.FindFirstFileExA(
      (folder + "\\*.*").c_str(), platform::FindExInfoBasic, &found,
      platform::FindExSearchNameMatch, nullptr, platform::FIND_FIRST_EX_NAMES_ONLY);
  if (search == platform::INVALID_HANDLE_VALUE) return;
  do {
    if (!visit(std::string_view(found.cFileName), found.dwFileAttributes)) break;
  } while (files.FindNextFileA(search, &found));
  files.FindClose(search);
}

void ScanEngine::WalkFolder(const std::string& path, bool noDescent) {
  const definitions::SpywareEntry* folderEntry = LookupDirectory(path);
  if (folderEntry) SweepSpywareFolder(path, *folderEntry);
  std::string folder = path;
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  // Lower-cased once for all the names in it: a folder path ends with a whole character.
  const std::string lowerFolder = WithoutDrive(machine_.Code().Lower(folder)) + "\\";
  // Made again for each name in the same memory.
  std::string full = folder + "\\", lowerPath;
  const std::size_t folderLength = full.size();
  EnumerateFolder(folder, [&](std::string_view name, platform::DWORD attributes) {
    if (abort_) return false;
    ++counters_.objectsExamined;
    if (IsDotEntry(name)) return true;
    full.resize(folderLength);
    full += name;
    if (attributes & platform::FILE_ATTRIBUTE_DIRECTORY) {
      // A link is a reparse point: reported by the layer, never followed by a walk.
      if (noDescent || (attributes & platform::FILE_ATTRIBUTE_REPARSE_POINT)) return true;
      SetItemText(full);
      WalkFolder(full, false);
      return true;
    }
    SetItemText(full);
    const definitions::SpywareEntry* entry = folderEntry;
    if (!entry) {
      lowerPath = lowerFolder;
      machine_.Code().AppendLower(name, lowerPath);
      entry = LookupFile(full, lowerPath);
    }
    if (entry && AddFoundItem(full, *entry, FoundItemKind::File)) {
      ++counters_.filesFound;
      LogLine("<FILE PATH = \"" + full + "\"/>");
    }
    return true;
  });
}

void ScanEngine::SweepSpywareFolder(const std::string& path,
                                    const definitions::SpywareEntry& entry) {
  if (AddFoundItem(path, entry, FoundItemKind::Folder)) {
    ++counters_.foldersFound;
    ++counters_.objectsExamined;
  }
  std::string folder = path;
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  EnumerateFolder(folder, [&](std::string_view name, platform::DWORD attributes) {
    if (IsDotEntry(name)) return true;
    const std::string full = folder + "\\" + std::string(name);
    if (attributes & platform::FILE_ATTRIBUTE_DIRECTORY) {
      if (!(attributes & platform::FILE_ATTRIBUTE_REPARSE_POINT)) SweepSpywareFolder(full, entry);
    } else if (AddFoundItem(full, entry, FoundItemKind::File)) {
      ++counters_.objectsExamined;
      ++counters_.filesFound;
    }
    return true;
  });
}

void ScanEngine::ScanSpywareFolders() {
  Phase(ScanPhase::Registry);
  for (const auto& entry : database_.Entries()) {
    if (abort_) break;
    for (const definitions::FolderTrace& trace : entry->folders) {
      if (abort_) break;
      SetItemText(trace.path);
      // Most such folders are absent: one look settles it rather than two inside the walk.
      if (machine_.files().PathFileExistsA(trace.path.c_str())) WalkFolder(trace.path, false);
    }
  }
}

}  // namespace scan
