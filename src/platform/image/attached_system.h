// An image that stands for a Windows installation that is not running, made by
// `vexmachine attach`: its drive C is the installation's own folder, and its registry store
// holds a copy of the system's hives. The record IMAGE/attached.txt says where that folder
// is, whether changes may reach it, which hive file holds which key, and which keys are the
// image's own (the program's settings): those stay in the image's store and never reach a
// hive. With a read-only record every change to a hive's key is refused.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/code_page.h"
#include "platform/image/hive_write_back.h"

namespace platform {

struct AttachedHive {
  std::string key;   // as Windows shows it: HKEY_LOCAL_MACHINE\SOFTWARE, HKEY_USERS\<SID>
  std::string file;  // the hive's host path
};

struct AttachRecord {
  static constexpr const char* kFileName = "attached.txt";
  // The image's own system programs (registry editor, DLL runner, file browser), which stand
  // in for the system's: those are Windows programs that do not run on this host.
  static constexpr const char* kProgramsFolder = "X:\\System";
  // Beside a hive: the hive as it was before the first change written back to it.
  static constexpr const char* kBeforeSuffix = ".vexmarl-before";

  std::string root;  // the host folder of drive C
  bool writable = false;
  std::vector<AttachedHive> hives;
  std::vector<std::string> ownKeys;  // full key names
  // Values of the image's own in a key of the system's: the program's start-up entry.
  std::vector<std::pair<std::string, std::string>> ownValues;  // full key name, value name

  // The record of the image at imageRoot; nothing when it is no attached image.
  static std::optional<AttachRecord> Load(const std::string& imageRoot);
  // Written atomically; false when that failed.
  bool Save(const std::string& imageRoot) const;
};

class AttachedSystem final : public HiveWriteBack {
 public:
  AttachedSystem(std::string imageRoot, AttachRecord record, const CodePage& codePage)
      : imageRoot_(std::move(imageRoot)), record_(std::move(record)), codePage_(codePage) {}

  const AttachRecord& Record() const { return record_; }
  LONG Change(const std::vector<std::string>& keyPath, const HiveChange& change) override;
  // Makes a key, or one value of a key, the image's own from now on, in this process and in
  // the record.
  bool KeepInImage(const std::string& key);
  bool KeepValueInImage(const std::string& key, const std::string& valueName);

 private:
  LONG WriteToHive(const AttachedHive& hive, const std::vector<std::string>& path,
                   const HiveChange& change);
  bool StartsWith(const std::vector<std::string>& path, const std::string& key) const;

  std::string imageRoot_;
  AttachRecord record_;
  CodePage codePage_;
};

}  // namespace platform
