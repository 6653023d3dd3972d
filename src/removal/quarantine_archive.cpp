#include "removal/quarantine_archive.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "foundation/folder_path.h"

namespace removal {
namespace {

using platform::DWORD;
using platform::HANDLE;

// Content is copied in blocks this large; the format does not depend on it.
constexpr std::size_t kCopyBlock = 1 << 20;
// A path or name longer than this is no path of the system: the entry is damaged.
constexpr std::uint32_t kLongestText = 32768;
// How long a restore waits for the registry editor to import the backup.
constexpr DWORD kImportWait = 120000;
constexpr const char* kRestoreSuffix = ".vmq-restore";

void Put16(std::string& out, std::uint16_t value) {
  for (int i = 0; i < 2; ++i) out += static_cast<char>(value >> (8 * i));
}
void Put32(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i));
}
void Put64(std::string& out, std::uint64_t value) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>(value >> (8 * i));
}
std::uint64_t Get(const unsigned char* bytes, int size) {
  std::uint64_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

std::uint64_t FileTimeValue(const platform::FILETIME& time) {
  return std::uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime;
}

// A handle closed when it goes out of scope.
struct FileHandle {
  explicit FileHandle(HANDLE h) : handle(h) {}
  ~FileHandle() {
    if (Open()) platform::CloseHandle(handle);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool Open() const { return handle != platform::INVALID_HANDLE_VALUE && handle != nullptr; }
  HANDLE handle;
};

bool Seek(platform::Files& files, HANDLE file, std::uint64_t offset) {
  platform::LARGE_INTEGER distance;
  distance.QuadPart = static_cast<platform::LONGLONG>(offset);
  return files.SetFilePointerEx(file, distance, nullptr, platform::FILE_BEGIN);
}

// Reads exactly length bytes.
bool ReadExactly(platform::Files& files, HANDLE file, void* buffer, std::size_t length) {
  DWORD read = 0;
  return files.ReadFile(file, buffer, static_cast<DWORD>(length), &read, nullptr) && read == length;
}

bool WriteExactly(platform::Files& files, HANDLE file, const void* buffer, std::size_t length) {
  DWORD written = 0;
  return files.WriteFile(file, buffer, static_cast<DWORD>(length), &written, nullptr) &&
         written == length;
}

// Copies exactly size bytes from one open file to another; false when the source ends
// first or a read or write fails.
bool CopyBytes(platform::Files& files, HANDLE from, HANDLE to, std::uint64_t size) {
  std::unique_ptr<char[]> buffer(new char[kCopyBlock]);
  while (size > 0) {
    const std::size_t block = static_cast<std::size_t>(std::min<std::uint64_t>(size, kCopyBlock));
    if (!ReadExactly(files, from, buffer.get(), block)) return false;
    if (!WriteExactly(files, to, buffer.get(), block)) return false;
    size -= block;
  }
  return true;
}

// Reads a length-prefixed, NUL-ended text of an entry; false when it is damaged or longer
// than what is left of the archive.
bool ReadText(platform::Files& files, HANDLE archive, std::uint64_t left, std::string& text) {
  unsigned char length[4];
  if (left < 4 || !ReadExactly(files, archive, length, 4)) return false;
  const std::uint32_t size = static_cast<std::uint32_t>(Get(length, 4));
  if (size == 0 || size > kLongestText || size > left - 4) return false;
  text.assign(size, '\0');
  if (!ReadExactly(files, archive, text.data(), size) || text.back() != '\0') return false;
  text.resize(std::strlen(text.c_str()));
  return true;
}

std::uint64_t Position(platform::Files& files, HANDLE file) {
  platform::LARGE_INTEGER zero, position;
  zero.QuadPart = 0;
  position.QuadPart = 0;
  files.SetFilePointerEx(file, zero, &position, platform::FILE_CURRENT);
  return static_cast<std::uint64_t>(position.QuadPart);
}

// Writes the content to the path. A file that is there is replaced as one step: the
// content goes into a file beside it, which then takes its place, so that a failure leaves
// what was there whole. A new file that cannot be written whole is removed again.
bool RestoreContent(platform::Files& files, HANDLE archive, std::uint64_t size,
                    const std::string& path) {
  auto write = [&](const std::string& target) {
    FileHandle file(files.CreateFileA(target.c_str(), platform::GENERIC_WRITE,
                                      platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE,
                                      nullptr, platform::CREATE_NEW,
                                      platform::FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Open()) return platform::GetLastError();
    return CopyBytes(files, archive, file.handle, size) ? platform::ERROR_SUCCESS
                                                        : platform::ERROR_WRITE_FAULT;
  };
  DWORD status = write(path);
  if (status == platform::ERROR_SUCCESS) return true;
  if (status != platform::ERROR_FILE_EXISTS) {
    if (status == platform::ERROR_WRITE_FAULT) files.DeleteFileA(path.c_str());
    return false;
  }
  const std::string partial = path + kRestoreSuffix;
  files.DeleteFileA(partial.c_str());  // left by an earlier restore that was cut short
  if (write(partial) == platform::ERROR_SUCCESS &&
      files.MoveFileExA(partial.c_str(), path.c_str(), platform::MOVEFILE_REPLACE_EXISTING))
    return true;
  files.DeleteFileA(partial.c_str());
  return false;
}

// Starts the system's registry editor on the backup, as the shell starts it, and waits for
// it so that the import is done before the archive goes.
bool ImportRegistryBackup(platform::Machine& machine, const std::string& path) {
  const std::string parameters = " /si " + path;
  platform::SHELLEXECUTEINFOA info;
  info.fMask = platform::SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = "regedit.exe";
  info.lpParameters = parameters.c_str();
  info.nShow = platform::SW_SHOWNORMAL;
  if (!machine.shell().ShellExecuteExA(&info)) return false;
  if (!info.hProcess) return true;
  const DWORD waited = machine.processes().WaitForSingleObject(info.hProcess, kImportWait);
  platform::CloseHandle(info.hProcess);
  return waited == platform::WAIT_OBJECT_0;
}

}  // namespace

QuarantineWriter::~QuarantineWriter() {
  if (archive_ != platform::INVALID_HANDLE_VALUE) platform::CloseHandle(archive_);
}

std::uint32_t QuarantineWriter::ItemTotal() const {
  return backupAdded_ ? count_ - 1 + registryItems_ : count_;
}

std::string QuarantineWriter::HeaderBytes() const {
  std::string header;
  header.reserve(kHeaderSize + 8 * slots_.size());
  Put32(header, kArchiveVersion);
  Put32(header, capacity_);
  Put32(header, count_);
  Put32(header, ItemTotal());
  Put64(header, lastEntry_);
  Put64(header, endOffset_);
  for (std::uint64_t slot : slots_) Put64(header, slot);
  return header;
}

bool QuarantineWriter::WriteAll(const void* data, std::size_t length) {
  return WriteExactly(files_, archive_, data, length);
}

bool QuarantineWriter::Create(const std::string& basePath, std::uint32_t capacity,
                              std::string& finalPath) {
  capacity_ = capacity;
  slots_.assign(std::size_t{capacity} + 1, 0);
  count_ = 0;
  lastEntry_ = kNotClosed;
  endOffset_ = kHeaderSize + 8 * (std::uint64_t{capacity} + 1);
  bool foldersMade = false;
  for (unsigned n = 0;;) {
    finalPath = n == 0 ? basePath + kArchiveExtension
                       : basePath + "[" + std::to_string(n) + "]" + kArchiveExtension;
    // Created as new, so that two steps in one second never share a name.
    archive_ =
        files_.CreateFileA(finalPath.c_str(), platform::GENERIC_READ | platform::GENERIC_WRITE,
                           platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE, nullptr,
                           platform::CREATE_NEW, platform::FILE_ATTRIBUTE_NORMAL, nullptr);
    if (archive_ != platform::INVALID_HANDLE_VALUE) break;
    const DWORD error = platform::GetLastError();
    if (error == platform::ERROR_FILE_EXISTS || error == platform::ERROR_ALREADY_EXISTS) {
      ++n;
      continue;
    }
    const std::size_t cut = finalPath.rfind('\\');
    if (error != platform::ERROR_PATH_NOT_FOUND || foldersMade || cut == std::string::npos)
      return false;
    foldersMade = true;
    foundation::EnsureFolderPath(files_, finalPath.substr(0, cut));
  }
  const std::string header = HeaderBytes();
  if (WriteAll(header.data(), header.size())) return true;
  platform::CloseHandle(archive_);
  archive_ = platform::INVALID_HANDLE_VALUE;
  files_.DeleteFileA(finalPath.c_str());
  return false;
}

bool QuarantineWriter::AppendEntry(EntryType type, const std::string& path, const std::string& name,
                                   HANDLE source, std::uint64_t size,
                                   const platform::FILETIME* times) {
  if (archive_ == platform::INVALID_HANDLE_VALUE || count_ >= slots_.size()) return false;
  std::string fields;
  Put16(fields, static_cast<std::uint16_t>(type));
  Put32(fields, static_cast<std::uint32_t>(path.size() + 1));
  fields.append(path.c_str(), path.size() + 1);
  Put32(fields, static_cast<std::uint32_t>(name.size() + 1));
  fields.append(name.c_str(), name.size() + 1);
  if (type != EntryType::Folder) {
    Put64(fields, size);
    for (int i = 0; i < 3; ++i) Put64(fields, FileTimeValue(times[i]));
  }
  const std::uint64_t start = endOffset_;
  bool complete = Seek(files_, archive_, start) && WriteAll(fields.data(), fields.size());
  if (complete && type != EntryType::Folder) complete = CopyBytes(files_, source, archive_, size);
  if (!complete) {
    // The entry is taken back whole, so every later entry starts where the header says.
    Seek(files_, archive_, start);
    files_.SetEndOfFile(archive_);
    return false;
  }
  slots_[count_++] = start;
  endOffset_ = start + fields.size() + (type == EntryType::Folder ? 0 : size);
  return true;
}

bool QuarantineWriter::AddFile(const std::string& path, const std::string& name, bool* unopenable) {
  return AddFileAs(EntryType::File, path, name, unopenable);
}

bool QuarantineWriter::AddFileAs(EntryType type, const std::string& path, const std::string& name,
                                 bool* unopenable) {
  FileHandle source(files_.CreateFileA(path.c_str(), platform::GENERIC_READ, 0, nullptr,
                                       platform::OPEN_EXISTING, platform::FILE_ATTRIBUTE_NORMAL,
                                       nullptr));
  if (unopenable) *unopenable = !source.Open();
  if (!source.Open()) return false;
  platform::LARGE_INTEGER size;
  platform::FILETIME times[3];
  if (!files_.GetFileSizeEx(source.handle, &size) ||
      !files_.GetFileTime(source.handle, &times[0], &times[1], &times[2]))
    return false;
  const std::string shownName = type == EntryType::RegistryBackup ? kRegistryBackupName : name;
  logLine_("<QInformation Message = \"Quarantining File " + shownName + " - " + path + "\"/>");
  return AppendEntry(type, path, shownName, source.handle,
                     static_cast<std::uint64_t>(size.QuadPart), times);
}

bool QuarantineWriter::AddFolder(const std::string& path, const std::string& name) {
  logLine_("<QInformation Message = \"Quarantining Folder " + name + " - " + path + "\"/>");
  return AppendEntry(EntryType::Folder, path, name, nullptr, 0, nullptr);
}

bool QuarantineWriter::AddRegistryBackup(const std::string& textFilePath,
                                         std::uint32_t registryItemCount) {
  const std::uint32_t index = count_;
  if (!AddFileAs(EntryType::RegistryBackup, textFilePath, "", nullptr)) return false;
  lastEntry_ = slots_[index];
  backupAdded_ = true;
  registryItems_ = registryItemCount;
  return true;
}

bool QuarantineWriter::Close() {
  if (archive_ == platform::INVALID_HANDLE_VALUE) return false;
  // Without a registry backup the last entry written stands in its place, so that a closed
  // archive never reads as an unclosed one.
  if (lastEntry_ == kNotClosed) lastEntry_ = count_ > 0 ? slots_[count_ - 1] : endOffset_;
  const std::string header = HeaderBytes();
  // The entries reach the disk before the header that makes them count.
  const bool written = files_.FlushFileBuffers(archive_) && Seek(files_, archive_, 0) &&
                       WriteAll(header.data(), header.size()) && files_.FlushFileBuffers(archive_);
  platform::CloseHandle(archive_);
  archive_ = platform::INVALID_HANDLE_VALUE;
  return written;
}

bool RestoreArchive(platform::Machine& machine, const std::string& path) {
  platform::Files& files = machine.files();
  FileHandle archive(files.CreateFileA(path.c_str(), platform::GENERIC_READ,
                                       platform::FILE_SHARE_READ, nullptr, platform::OPEN_EXISTING,
                                       platform::FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!archive.Open()) return false;
  platform::LARGE_INTEGER length;
  if (!files.GetFileSizeEx(archive.handle, &length)) return false;
  const std::uint64_t fileSize = static_cast<std::uint64_t>(length.QuadPart);
  unsigned char header[kHeaderSize];
  if (!ReadExactly(files, archive.handle, header, kHeaderSize)) return false;
  const std::uint64_t capacity = Get(header + 4, 4), count = Get(header + 8, 4);
  const std::uint64_t slotsEnd = kHeaderSize + 8 * (capacity + 1);
  // Not an archive of this format, one that was never closed, or one whose slot table does
  // not fit: nothing is restored and the archive is kept.
  if (Get(header, 4) != kArchiveVersion || Get(header + 16, 8) == kNotClosed ||
      slotsEnd > fileSize || count > capacity + 1)
    return false;
  std::vector<unsigned char> slotBytes(8 * count);
  if (!ReadExactly(files, archive.handle, slotBytes.data(), slotBytes.size())) return false;

  bool everyEntryRestored = true;
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint64_t offset = Get(&slotBytes[8 * i], 8);
    unsigned char typeBytes[2];
    if (offset < slotsEnd || offset > fileSize - 2 || !Seek(files, archive.handle, offset) ||
        !ReadExactly(files, archive.handle, typeBytes, 2))
      return false;
    const auto type = static_cast<std::uint16_t>(Get(typeBytes, 2));
    if (type < 1 || type > 3) return false;
    std::string target, name;
    if (!ReadText(files, archive.handle, fileSize - offset - 2, target) ||
        !ReadText(files, archive.handle, fileSize - Position(files, archive.handle), name))
      return false;
    if (type == static_cast<std::uint16_t>(EntryType::Folder)) {
      if (!foundation::EnsureFolderPath(files, target)) everyEntryRestored = false;
      continue;
    }
    unsigned char fields[32];
    if (!ReadExactly(files, archive.handle, fields, sizeof fields)) return false;
    const std::uint64_t size = Get(fields, 8);
    // A truncated entry is never written as if it were whole.
    if (size > fileSize - Position(files, archive.handle)) return false;
    if (!RestoreContent(files, archive.handle, size, target)) {
      everyEntryRestored = false;
      continue;
    }
    if (type == static_cast<std::uint16_t>(EntryType::RegistryBackup) &&
        !ImportRegistryBackup(machine, target))
      everyEntryRestored = false;
  }
  return everyEntryRestored;
}

std::uint32_t ReadItemTotal(platform::Files& files, const std::string& path) {
  FileHandle archive(files.CreateFileA(
      path.c_str(), platform::GENERIC_READ, platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE,
      nullptr, platform::OPEN_EXISTING, platform::FILE_ATTRIBUTE_NORMAL, nullptr));
  unsigned char header[16];
  if (!archive.Open() || !ReadExactly(files, archive.handle, header, sizeof header)) return 0;
  return static_cast<std::uint32_t>(Get(header + 12, 4));
}

}  // namespace removal
