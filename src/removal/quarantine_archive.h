// The quarantine archive: one file that keeps the files, folder names and registry backup
// of one removal, so that they can be put back. The header at the start holds the entry
// count and a slot table of entry offsets; it is written whole when the archive is closed,
// so an archive that was never closed (a crash) still shows count 0 and is never taken for
// an empty one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/machine.h"

namespace removal {

inline constexpr std::uint32_t kArchiveVersion = 1;
inline constexpr std::uint32_t kHeaderSize = 32;  // then 8 bytes a slot, capacity + 1 slots
inline constexpr std::uint64_t kNotClosed = ~std::uint64_t{0};
inline constexpr const char* kRegistryBackupName = "REG BACKUP";
inline constexpr const char* kArchiveExtension = ".vmq";

enum class EntryType : std::uint16_t { File = 1, Folder = 2, RegistryBackup = 3 };

class QuarantineWriter {
 public:
  using LogLine = std::function<void(const std::string&)>;

  QuarantineWriter(platform::Files& files, LogLine logLine)
      : files_(files), logLine_(std::move(logLine)) {}
  // An archive that was not closed keeps its first header: count 0, not closed.
  ~QuarantineWriter();
  QuarantineWriter(const QuarantineWriter&) = delete;
  QuarantineWriter& operator=(const QuarantineWriter&) = delete;

  // Makes basePath + ".vmq", or basePath + "[n].vmq" with the first n = 1, 2, ... whose
  // name is free, creating the folders of the path when needed; room for capacity files
  // and folders plus the registry backup.
  bool Create(const std::string& basePath, std::uint32_t capacity, std::string& finalPath);
  // Copies the file in as a file entry, whatever its name. A file that cannot be opened or read
  // whole adds nothing and leaves the archive as it was; unopenable tells whether it could not even
  // be opened (in use, closed to us, gone), as opposed to an entry that failed on the way (a read
  // or the archive's disk).
  bool AddFile(const std::string& path, const std::string& name, bool* unopenable = nullptr);
  bool AddFolder(const std::string& path, const std::string& name);
  // Adds the registry text file and makes the item total count its registry items.
  bool AddRegistryBackup(const std::string& textFilePath, std::uint32_t registryItemCount);
  // Writes the header over the start of the file and closes it.
  bool Close();

  std::uint32_t Count() const { return count_; }
  std::uint32_t ItemTotal() const;

 private:
  // Copies the file in as a file entry or as the registry backup, named "REG BACKUP".
  bool AddFileAs(EntryType type, const std::string& path, const std::string& name,
                 bool* unopenable);
  // Appends one entry made of its fields and, when source is open, size bytes of content;
  // undone when anything fails.
  bool AppendEntry(EntryType type, const std::string& path, const std::string& name,
                   platform::HANDLE source, std::uint64_t size, const platform::FILETIME* times);
  bool WriteAll(const void* data, std::size_t length);
  std::string HeaderBytes() const;

  platform::Files& files_;
  LogLine logLine_;
  platform::HANDLE archive_ = platform::INVALID_HANDLE_VALUE;
  std::uint32_t capacity_ = 0;
  std::uint32_t count_ = 0;
  std::uint64_t lastEntry_ = kNotClosed;
  std::uint64_t endOffset_ = 0;
  std::vector<std::uint64_t> slots_;
  bool backupAdded_ = false;
  std::uint32_t registryItems_ = 0;
};

// Puts every entry back: files to their paths (replacing what is there), folders created,
// the registry backup imported by the system's registry editor. False, with the archive
// untouched, when it is not a closed archive, an entry is damaged or of an unknown type, or
// an entry could not be put back; the entries before that stay restored.
bool RestoreArchive(platform::Machine& machine, const std::string& path);

// The item total of the header; 0 when the file cannot be opened or read.
std::uint32_t ReadItemTotal(platform::Files& files, const std::string& path);

}  // namespace removal
