#include "platform/image/attached_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/image/hive_file.h"
#include "platform/registry.h"
#include "platform/windows_path.h"

namespace platform {

namespace {

namespace fs = std::filesystem;

constexpr const char* kTemporarySuffix = ".vexmarl-new";

bool SyncFile(const std::string& path, bool folder) {
  const int fd = open(path.c_str(), (folder ? O_RDONLY | O_DIRECTORY : O_RDWR) | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = fsync(fd) == 0;
  close(fd);
  return synced;
}

// Puts a new file in place of path: written beside it, given the old one's permissions,
// flushed, renamed over it.
bool ReplaceWith(const std::string& path, const std::string& written) {
  struct stat old;
  if (stat(path.c_str(), &old) == 0) chmod(written.c_str(), old.st_mode & 07777);
  if (!SyncFile(written, false) || rename(written.c_str(), path.c_str()) != 0) {
    unlink(written.c_str());
    return false;
  }
  SyncFile(fs::path(path).parent_path().string(), true);
  return true;
}

// The hive as it was before the first change, kept once beside it.
bool KeepFirstState(const std::string& file) {
  const std::string before = file + AttachRecord::kBeforeSuffix;
  std::error_code error;
  if (fs::exists(before, error)) return true;
  const std::string copy = before + kTemporarySuffix;
  fs::copy_file(file, copy, fs::copy_options::overwrite_existing, error);
  return !error && ReplaceWith(before, copy);
}

// Holds the image's record locked while a hive is rewritten, so that processes of the image
// never write the same hive at once.
class RecordLock {
 public:
  explicit RecordLock(const std::string& file) : fd_(open(file.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (fd_ >= 0) flock(fd_, LOCK_EX);
  }
  ~RecordLock() {
    if (fd_ >= 0) close(fd_);
  }
  RecordLock(const RecordLock&) = delete;
  RecordLock& operator=(const RecordLock&) = delete;
  bool Held() const { return fd_ >= 0; }

 private:
  int fd_;
};

}  // namespace

std::optional<AttachRecord> AttachRecord::Load(const std::string& imageRoot) {
  std::ifstream in(imageRoot + "/" + kFileName);
  if (!in) return std::nullopt;
  AttachRecord record;
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    std::string kind, first, second;
    std::getline(fields, kind, '\t');
    std::getline(fields, first, '\t');
    std::getline(fields, second);
    if (kind == "root") record.root = first;
    if (kind == "access") record.writable = first == "writable";
    if (kind == "hive") record.hives.push_back(AttachedHive{first, second});
    if (kind == "own") record.ownKeys.push_back(first);
    if (kind == "own-value") record.ownValues.emplace_back(first, second);
  }
  if (record.root.empty()) return std::nullopt;
  return record;
}

bool AttachRecord::Save(const std::string& imageRoot) const {
  const std::string file = imageRoot + "/" + kFileName;
  const std::string written = file + kTemporarySuffix;
  {
    std::ofstream out(written, std::ios::trunc);
    out << "root\t" << root << "\naccess\t" << (writable ? "writable" : "read-only") << "\n";
    for (const AttachedHive& hive : hives) out << "hive\t" << hive.key << "\t" << hive.file << "\n";
    for (const std::string& key : ownKeys) out << "own\t" << key << "\n";
    for (const auto& [key, name] : ownValues) out << "own-value\t" << key << "\t" << name << "\n";
    out.flush();
    if (!out) {
      unlink(written.c_str());
      return false;
    }
  }
  return ReplaceWith(file, written);
}

bool AttachedSystem::StartsWith(const std::vector<std::string>& path,
                                const std::string& key) const {
  const std::vector<std::string> parts = SplitAtBackslashes(codePage_, key);
  if (parts.size() > path.size()) return false;
  for (std::size_t i = 0; i < parts.size(); ++i)
    if (!codePage_.EqualNoCase(parts[i], path[i])) return false;
  return true;
}

LONG AttachedSystem::Change(const std::vector<std::string>& keyPath, const HiveChange& change) {
  for (const std::string& own : record_.ownKeys)
    if (StartsWith(keyPath, own)) return ERROR_SUCCESS;
  const bool ofValue =
      change.kind == HiveChange::Kind::SetValue || change.kind == HiveChange::Kind::DeleteValue;
  for (const auto& [key, name] : record_.ownValues) {
    if (ofValue && StartsWith(keyPath, key) &&
        SplitAtBackslashes(codePage_, key).size() == keyPath.size() &&
        codePage_.EqualNoCase(name, change.valueName))
      return ERROR_SUCCESS;
  }
  // The hive mounted deepest holds the key: a user's classes lie inside the user's own key.
  // A key with a hive mounted below it cannot go, as that hive's file would stay.
  const AttachedHive* holder = nullptr;
  std::size_t depth = 0;
  for (const AttachedHive& hive : record_.hives) {
    const std::vector<std::string> mount = SplitAtBackslashes(codePage_, hive.key);
    if (mount.size() > depth && StartsWith(keyPath, hive.key)) {
      holder = &hive;
      depth = mount.size();
    }
    if (change.kind == HiveChange::Kind::DeleteKey && mount.size() > keyPath.size() &&
        std::equal(keyPath.begin(), keyPath.end(), mount.begin(),
                   [&](const std::string& a, const std::string& b) {
                     return codePage_.EqualNoCase(a, b);
                   }))
      return ERROR_ACCESS_DENIED;
  }
  if (!holder) return ERROR_SUCCESS;  // a key of no hive is the image's alone
  if (!record_.writable) return ERROR_ACCESS_DENIED;
  return WriteToHive(*holder, std::vector<std::string>(keyPath.begin() + depth, keyPath.end()),
                     change);
}

LONG AttachedSystem::WriteToHive(const AttachedHive& where, const std::vector<std::string>& path,
                                 const HiveChange& change) {
  using Kind = HiveChange::Kind;
  if (change.kind == Kind::DeleteKey && path.empty()) return ERROR_ACCESS_DENIED;  // the hive
  RecordLock lock(imageRoot_ + "/" + AttachRecord::kFileName);
  if (!lock.Held()) return ERROR_ACCESS_DENIED;
  auto hive = HiveFile::Open(where.file, codePage_, true, nullptr);
  if (!hive) return ERROR_ACCESS_DENIED;
  const bool makesKeys = change.kind == Kind::CreateKey || change.kind == Kind::SetValue;
  bool changed = false;
  HiveFile::Node node = hive->Root();
  for (const std::string& name : path) {
    HiveFile::Node child = hive->Child(node, name);
    if (!child && makesKeys) {
      child = hive->AddChild(node, name);
      if (!child) return ERROR_ACCESS_DENIED;
      changed = true;
    }
    if (!child) return ERROR_SUCCESS;  // the hive never held it: nothing to write
    node = child;
  }
  if (change.kind == Kind::DeleteKey) {
    if (!hive->DeleteKey(node)) return ERROR_ACCESS_DENIED;
    changed = true;
  } else if (change.kind != Kind::CreateKey) {
    auto values = hive->Values(node);
    if (!values) return ERROR_ACCESS_DENIED;
    auto same = std::find_if(values->begin(), values->end(), [&](const HiveFile::Value& value) {
      return codePage_.EqualNoCase(value.name, change.valueName);
    });
    if (change.kind == Kind::SetValue) {
      HiveFile::Value value{
          change.valueName, change.type, HiveData(codePage_, change.type, change.data), {}};
      if (same != values->end()) {
        // As the system does, the value keeps its name as first written and its place.
        value.name = same->name;
        value.hiveName = same->hiveName;
        *same = std::move(value);
      } else {
        values->push_back(std::move(value));
      }
    } else if (same != values->end()) {
      values->erase(same);
    } else {
      return ERROR_SUCCESS;
    }
    if (!hive->SetValues(node, *values)) return ERROR_ACCESS_DENIED;
    changed = true;
  }
  if (!changed) return ERROR_SUCCESS;
  const std::string written = where.file + kTemporarySuffix;
  if (!hive->CommitTo(written) || !KeepFirstState(where.file)) {
    unlink(written.c_str());
    return ERROR_ACCESS_DENIED;
  }
  return ReplaceWith(where.file, written) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

bool AttachedSystem::KeepValueInImage(const std::string& key, const std::string& valueName) {
  for (const auto& [ownKey, name] : record_.ownValues)
    if (codePage_.EqualNoCase(ownKey, key) && codePage_.EqualNoCase(name, valueName)) return true;
  record_.ownValues.emplace_back(key, valueName);
  return record_.Save(imageRoot_);
}

bool AttachedSystem::KeepInImage(const std::string& key) {
  for (const std::string& own : record_.ownKeys)
    if (codePage_.EqualNoCase(own, key)) return true;
  record_.ownKeys.push_back(key);
  return record_.Save(imageRoot_);
}

}  // namespace platform
