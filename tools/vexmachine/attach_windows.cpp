#include "attach_windows.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <utility>

#include "platform/image/attached_system.h"
#include "platform/image/hive_import.h"
#include "platform/image/image_machine.h"
#include "platform/image/registry_store.h"
#include "platform/registry.h"
#include "windows_installation.h"

namespace vexmachine {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDrivesFolder = "drives";
constexpr const char* kProgramDrive = "X";
constexpr const char* kProgramsFolderName = "System";  // AttachRecord::kProgramsFolder
// The image's own system programs, by the name the build gives them and their Windows name.
constexpr std::pair<const char*, const char*> kSystemPrograms[] = {
    {"regedit", "regedit.exe"}, {"rundll32", "rundll32.exe"}, {"explorer", "explorer.exe"}};

// An image folder that attach may use: missing, empty, or only the drive X: a detach kept.
bool UsableImageFolder(const fs::path& image) {
  std::error_code error;
  if (!fs::exists(image, error)) return true;
  if (!fs::is_directory(image, error)) return false;
  for (const fs::directory_entry& entry : fs::directory_iterator(image, error)) {
    if (entry.path().filename() != kDrivesFolder) return false;
    for (const fs::directory_entry& drive : fs::directory_iterator(entry.path(), error))
      if (drive.path().filename() != kProgramDrive || drive.is_symlink()) return false;
  }
  return !error;
}

// What attach made, taken away again: on a failed attach and by detach.
void RemoveAttachedParts(const fs::path& image, bool keepProgramDrive) {
  std::error_code error;
  const fs::path drives = image / kDrivesFolder;
  if (fs::is_symlink(drives / "C", error)) fs::remove(drives / "C", error);  // the link alone
  fs::remove_all(drives / kProgramDrive / kProgramsFolderName, error);
  for (const char* name : {"registry.db", "registry.db-wal", "registry.db-shm"})
    fs::remove(image / name, error);
  fs::remove_all(image / "objects", error);
  fs::remove(image / platform::AttachRecord::kFileName, error);
  if (!keepProgramDrive || fs::is_empty(drives / kProgramDrive, error))
    fs::remove_all(drives / kProgramDrive, error);
  fs::remove(drives, error);  // only when empty
  fs::remove(image, error);
}

class Attacher {
 public:
  Attacher(const fs::path& image, const AttachOptions& options)
      : image_(image), options_(options) {}

  AttachOutcome Run() {
    outcome_.error = ReadWindowsInstallation(options_.windowsRoot, found_);
    outcome_.warnings = found_.warnings;
    if (!outcome_.error.empty() || !ChooseUser()) return std::move(outcome_);
    if (!UsableImageFolder(image_)) {
      Fail(image_.string() + ": not empty");
    } else if (const bool existed = fs::exists(image_); !Build()) {
      RemoveAttachedParts(image_, existed);
    }
    return std::move(outcome_);
  }

 private:
  bool Fail(std::string error) {
    outcome_.error = std::move(error);
    return false;
  }

  bool ChooseUser() {
    if (!options_.user.empty()) {
      for (const Profile& profile : found_.profiles)
        if (IsUserSid(profile.sid) && SameNoCase(profile.name, options_.user)) user_ = &profile;
      if (user_) return true;
      for (const std::string& name : found_.leftOut)
        if (SameNoCase(name, options_.user))
          return Fail("profile " + options_.user + ": its registry hive cannot be read");
      std::string names;
      for (const Profile& profile : found_.profiles)
        if (IsUserSid(profile.sid)) names += (names.empty() ? "" : ", ") + profile.name;
      return Fail("no profile named " + options_.user +
                  " (profiles: " + (names.empty() ? "none" : names) + ")");
    }
    for (const Profile& profile : found_.profiles) {
      if (IsUserSid(profile.sid) && (!user_ || LastUsed(profile) > LastUsed(*user_)))
        user_ = &profile;
    }
    return true;
  }

  bool Import(platform::RegistryStore& store, platform::KeyId parent, const std::string& name,
              const OpenedHive& hive) {
    auto existing = store.Child(parent, found_.code.Lower(name));
    auto mount = existing ? std::optional(existing->id)
                          : store.AddChild(parent, name, found_.code.Lower(name),
                                           hive.hive->Written(hive.hive->Root()));
    if (!mount) return Fail("cannot write the image's registry: " + store.LastError());
    platform::HiveImportResult result = platform::ImportHive(*hive.hive, store, *mount);
    if (!result.ok) return Fail(hive.file.string() + ": damaged (" + result.error + ")");
    if (result.keysLeftOut)
      outcome_.warnings.push_back(hive.file.string() + ": " + std::to_string(result.keysLeftOut) +
                                  " keys whose names the code page cannot tell apart are not "
                                  "scanned");
    record_.hives.push_back(platform::AttachedHive{hive.key, hive.file.string()});
    return true;
  }

  bool Build() {
    std::error_code error;
    const fs::path drives = image_ / kDrivesFolder;
    fs::create_directories(drives / kProgramDrive, error);
    if (!error) fs::create_directory_symlink(found_.root, drives / "C", error);
    if (!error) fs::create_directories(drives / kProgramDrive / kProgramsFolderName, error);
    for (const auto& [built, name] : kSystemPrograms) {
      if (error || options_.programsFolder.empty()) break;
      const fs::path target = drives / kProgramDrive / kProgramsFolderName / name;
      fs::copy_file(fs::path(options_.programsFolder) / built, target,
                    fs::copy_options::overwrite_existing, error);
      if (!error) fs::permissions(target, fs::perms(0755), error);
    }
    if (!error) fs::create_directory(image_ / "objects", error);
    if (error) return Fail(image_.string() + ": cannot be made (" + error.message() + ")");
    std::string problem;
    auto store = platform::RegistryStore::Open((image_ / "registry.db").string(),
                                               found_.code.Number(), &problem);
    if (!store) return Fail("cannot make the image's registry: " + problem);
    if (!store->Begin()) return Fail("cannot write the image's registry: " + store->LastError());
    bool imported = Import(*store, platform::kLocalMachineKey, "SYSTEM", found_.system[0]) &&
                    Import(*store, platform::kLocalMachineKey, "SOFTWARE", found_.system[1]) &&
                    Import(*store, platform::kUsersKey, ".DEFAULT", found_.system[2]);
    for (const Profile& profile : found_.profiles) {
      imported = imported && Import(*store, platform::kUsersKey, profile.sid, profile.own);
      if (imported && profile.classes) {
        // Below the user's own key, where HKEY_CLASSES_ROOT finds the user's classes.
        auto sid = store->Child(platform::kUsersKey, found_.code.Lower(profile.sid));
        auto software = sid ? store->Child(sid->id, "software") : std::nullopt;
        platform::KeyId below = software ? software->id : 0;
        if (!below && sid) below = store->AddChild(sid->id, "Software", "software", 0).value_or(0);
        imported = below != 0 && Import(*store, below, "Classes", *profile.classes);
      }
    }
    if (imported && user_) imported = SetCurrentUser(*store);
    if (!imported) {
      store->Rollback();
      return false;
    }
    if (!store->Commit()) return Fail("cannot write the image's registry: " + store->LastError());
    store.reset();
    record_.root = found_.root.string();
    record_.writable = options_.writable;
    if (!record_.Save(image_.string()))
      return Fail("cannot write " + image_.string() + "/" + platform::AttachRecord::kFileName);
    outcome_.user = user_ ? user_->name : "";
    return true;
  }

  // The logged-on user, as the image finds it: in the image's copy of the registry only.
  bool SetCurrentUser(platform::RegistryStore& store) {
    platform::KeyId key = platform::kLocalMachineKey;
    for (const char* name : {"SOFTWARE", "Microsoft", "Windows NT", "CurrentVersion", "Winlogon"}) {
      auto child = store.Child(key, found_.code.Lower(name));
      auto id =
          child ? std::optional(child->id) : store.AddChild(key, name, found_.code.Lower(name), 0);
      if (!id) return Fail("cannot write the image's registry: " + store.LastError());
      key = *id;
    }
    if (!store.SetValue(key, "DefaultUserName", "defaultusername", platform::REG_SZ,
                        user_->name + '\0'))
      return Fail("cannot write the image's registry: " + store.LastError());
    return true;
  }

  fs::path image_;
  AttachOptions options_;
  AttachOutcome outcome_;
  WindowsInstallation found_;
  const Profile* user_ = nullptr;
  platform::AttachRecord record_;
};

}  // namespace

AttachOutcome AttachWindows(const std::string& image, const AttachOptions& options) {
  return Attacher(fs::absolute(image), options).Run();
}

namespace {

// A process of the image other than this one, as its registry and objects are about to go.
std::optional<platform::DWORD> RunningProgram(const std::string& image) {
  auto machine = platform::ImageMachine::Open(image);
  if (!machine) return std::nullopt;
  platform::Processes& processes = machine->processes();
  std::vector<platform::DWORD> ids(4096);
  platform::DWORD bytes = 0;
  if (!processes.EnumProcesses(ids.data(), static_cast<platform::DWORD>(ids.size() * sizeof ids[0]),
                               &bytes))
    return std::nullopt;
  ids.resize(bytes / sizeof ids[0]);
  for (platform::DWORD id : ids) {
    if (id == static_cast<platform::DWORD>(getpid())) continue;
    if (platform::HANDLE process =
            processes.OpenProcess(platform::PROCESS_QUERY_INFORMATION, platform::FALSE, id)) {
      platform::CloseHandle(process);
      return id;  // only a process of the image opens
    }
  }
  return std::nullopt;
}

}  // namespace

std::string DetachWindows(const std::string& image, std::string& kept) {
  if (!platform::AttachRecord::Load(image)) return image + ": not an attached image";
  if (auto running = RunningProgram(image))
    return image + ": a program of the image still runs (process " + std::to_string(*running) + ")";
  const fs::path drive = fs::path(image) / kDrivesFolder / kProgramDrive;
  RemoveAttachedParts(image, true);
  std::error_code error;
  kept = fs::exists(drive, error) ? drive.string() : "";
  return {};
}

}  // namespace vexmachine
