#include "attach_windows.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

#include "os_profiles.h"
#include "platform/image/attached_system.h"
#include "platform/image/hive_file.h"
#include "platform/image/hive_import.h"
#include "platform/image/registry_store.h"
#include "platform/registry.h"
#include "platform/windows_path.h"

namespace vexmachine {
namespace {

namespace fs = std::filesystem;
using platform::CodePage;
using platform::HiveFile;

constexpr const char* kNtVersionPath[] = {"Microsoft", "Windows NT", "CurrentVersion"};
constexpr const char* kDrivesFolder = "drives";
constexpr const char* kProgramDrive = "X";

bool SameNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// The entry of a host folder that a Windows name stands for, in any case.
std::optional<fs::path> FindNoCase(const fs::path& folder, const std::string& name) {
  std::error_code error;
  if (fs::exists(folder / name, error)) return folder / name;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
    if (SameNoCase(it->path().filename().string(), name)) return it->path();
  return std::nullopt;
}

std::optional<fs::path> FindPathNoCase(fs::path folder, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    auto next = FindNoCase(folder, name);
    if (!next) return std::nullopt;
    folder = *next;
  }
  return folder;
}

// A text value of a hive, in the code page, up to its first zero.
std::optional<std::string> HiveText(const HiveFile& hive, HiveFile::Node node,
                                    const std::string& name) {
  if (!node) return std::nullopt;
  auto value = hive.FindValue(node, name);
  if (!value || !platform::IsStringType(value->type)) return std::nullopt;
  std::string text = platform::StoredData(hive.Code(), value->type, value->data);
  return text.substr(0, text.find('\0'));
}

std::optional<std::uint32_t> HiveNumber(const HiveFile& hive, HiveFile::Node node,
                                        const std::string& name) {
  auto value = node ? hive.FindValue(node, name) : std::nullopt;
  if (!value || value->type != platform::REG_DWORD || value->data.size() != 4) return std::nullopt;
  std::uint32_t number = 0;
  for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(value->data[i]);
  return number;
}

struct OpenedHive {
  std::string key;  // where it is mounted
  fs::path file;
  std::unique_ptr<HiveFile> hive;
};

struct Profile {
  std::string sid, name;
  OpenedHive own;                     // NTUSER.DAT
  std::optional<OpenedHive> classes;  // the user's classes hive (UsrClass.dat)
};

std::unique_ptr<HiveFile> OpenHive(const fs::path& file, const CodePage& code, std::string& error) {
  std::string reason;
  auto hive = HiveFile::Open(file.string(), code, false, &reason);
  if (!hive) error = file.string() + ": damaged or not a registry hive (" + reason + ")";
  return hive;
}

// The Windows versions images are made as are the ones an attached system may be.
bool KnownNtVersion(unsigned major, unsigned minor) {
  const std::string names = OsProfileNames();
  std::size_t at = 0;
  while (at < names.size()) {
    std::size_t end = names.find(", ", at);
    const std::string name = names.substr(at, end == std::string::npos ? end : end - at);
    const OsProfile* os = FindOsProfile(name);
    if (os && os->nt && os->major == major && os->minor == minor) return true;
    at = end == std::string::npos ? names.size() : end + 2;
  }
  return false;
}

// %SystemDrive% and %SystemRoot% in a profile's path, as the system expands them.
std::string ExpandSystemVariables(std::string text, const std::string& systemRoot) {
  for (const auto& [name, value] :
       {std::pair<std::string, std::string>{"%SystemDrive%", "C:"}, {"%SystemRoot%", systemRoot}}) {
    for (std::size_t at = 0; at + name.size() <= text.size(); ++at) {
      if (SameNoCase(text.substr(at, name.size()), name)) {
        text.replace(at, name.size(), value);
        at += value.size() - 1;
      }
    }
  }
  return text;
}

bool IsUserSid(const std::string& sid) {
  return sid.rfind("S-1-5-21-", 0) == 0;
}

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
    if (!FindSystem() || !OpenSystemHives() || !CheckIdentity() || !FindProfiles() || !ChooseUser())
      return std::move(outcome_);
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

  bool FindSystem() {
    std::error_code error;
    root_ = fs::canonical(options_.windowsRoot, error);
    if (error || !fs::is_directory(root_)) return Fail(options_.windowsRoot + ": no such folder");
    for (const fs::directory_entry& entry : fs::directory_iterator(root_, error)) {
      if (!entry.is_directory(error) || entry.is_symlink(error)) continue;
      if (auto config = FindPathNoCase(entry.path(), {"system32", "config"});
          config && FindNoCase(*config, "SOFTWARE")) {
        windows_ = entry.path();
        config_ = *config;
        return true;
      }
    }
    return Fail(options_.windowsRoot +
                ": not a Windows system folder (no WINDOWS\\system32\\config with the system's "
                "hives)");
  }

  bool OpenSystemHives() {
    for (const auto& [name, key] :
         {std::pair<const char*, const char*>{"SYSTEM", "HKEY_LOCAL_MACHINE\\SYSTEM"},
          {"SOFTWARE", "HKEY_LOCAL_MACHINE\\SOFTWARE"},
          {"DEFAULT", "HKEY_USERS\\.DEFAULT"}}) {
      auto file = FindNoCase(config_, name);
      if (!file) return Fail((config_ / name).string() + ": missing");
      std::string error;
      auto hive = OpenHive(*file, code_, error);
      if (!hive) return Fail(error);
      system_.push_back(OpenedHive{key, *file, std::move(hive)});
    }
    return true;
  }

  // The version, the code page and the system folder, as the hives give them: a hive set of
  // another system, or of one that no image can be, is refused.
  bool CheckIdentity() {
    HiveFile& software = *system_[1].hive;
    HiveFile& system = *system_[0].hive;
    const auto version =
        software.Find(software.Root(), {std::begin(kNtVersionPath), std::end(kNtVersionPath)});
    auto current = HiveText(software, version, "CurrentVersion");
    if (!current)
      return Fail(system_[1].file.string() +
                  ": not the SOFTWARE hive of a Windows NT system (no Microsoft\\Windows "
                  "NT\\CurrentVersion)");
    unsigned major = 0, minor = 0;
    if (std::sscanf(current->c_str(), "%u.%u", &major, &minor) != 2 ||
        !KnownNtVersion(major, minor))
      return Fail(system_[1].file.string() + ": the hive of Windows NT " + *current +
                  ", a version Vexmarl does not clean");
    systemRoot_ = HiveText(software, version, "SystemRoot").value_or("");
    const std::string folder = systemRoot_.substr(systemRoot_.rfind('\\') + 1);
    if (systemRoot_.size() < 3 || !SameNoCase(systemRoot_.substr(0, 3), "C:\\") ||
        !SameNoCase(folder, windows_.filename().string()))
      return Fail(system_[1].file.string() + ": the hive of another system (its system folder is " +
                  (systemRoot_.empty() ? std::string("not named") : systemRoot_) + ", not C:\\" +
                  windows_.filename().string() + ")");
    auto selected = HiveNumber(system, system.Find(system.Root(), {"Select"}), "Current");
    char controlSet[32];
    std::snprintf(controlSet, sizeof controlSet, "ControlSet%03u", selected.value_or(0));
    const HiveFile::Node set = selected ? system.Child(system.Root(), controlSet) : 0;
    if (!set)
      return Fail(
          system_[0].file.string() +
          ": not the SYSTEM hive of a Windows NT system (no control set in Select\\Current)");
    auto acp = HiveText(system, system.Find(set, {"Control", "Nls", "CodePage"}), "ACP");
    const unsigned number =
        acp ? static_cast<unsigned>(std::strtoul(acp->c_str(), nullptr, 10)) : 0;
    if (number) code_ = CodePage(number);
    // Names and texts of every hive are read in the system's own code page from here on.
    for (OpenedHive& opened : system_) {
      std::string error;
      opened.hive = OpenHive(opened.file, code_, error);
      if (!opened.hive) return Fail(error);
    }
    return true;
  }

  bool FindProfiles() {
    HiveFile& software = *system_[1].hive;
    std::vector<std::string> path(std::begin(kNtVersionPath), std::end(kNtVersionPath));
    path.push_back("ProfileList");
    const HiveFile::Node list = software.Find(software.Root(), path);
    for (HiveFile::Node sidNode :
         list ? software.Children(list).value_or(std::vector<HiveFile::Node>{})
              : std::vector<HiveFile::Node>{}) {
      auto sid = software.Name(sidNode);
      auto image = sid ? HiveText(software, sidNode, "ProfileImagePath") : std::nullopt;
      if (!image) continue;
      const std::string windowsPath = ExpandSystemVariables(*image, systemRoot_);
      Profile profile{*sid,
                      windowsPath.substr(windowsPath.rfind('\\') + 1),
                      OpenedHive{"HKEY_USERS\\" + *sid, {}, nullptr},
                      {}};
      const bool user = IsUserSid(*sid);
      std::optional<fs::path> folder;
      if (windowsPath.size() > 3 && SameNoCase(windowsPath.substr(0, 3), "C:\\")) {
        std::vector<std::string> names = platform::SplitAtBackslashes(code_, windowsPath.substr(3));
        folder = FindPathNoCase(root_, names);
      }
      auto file = folder ? FindNoCase(*folder, "NTUSER.DAT") : std::nullopt;
      if (!file) {
        // The system's own accounts often have no hive of their own.
        if (user) LeaveOut(profile, "no NTUSER.DAT in " + windowsPath);
        continue;
      }
      std::string error;
      profile.own.file = *file;
      profile.own.hive = OpenHive(*file, code_, error);
      if (!profile.own.hive) {
        LeaveOut(profile, error);
        continue;
      }
      if (auto classes = FindPathNoCase(*folder, {"Local Settings", "Application Data", "Microsoft",
                                                  "Windows", "UsrClass.dat"})) {
        // The user's hive may hold an empty key where the classes are shown; one with
        // content of its own leaves the classes out, as two hives cannot share a key.
        const HiveFile& own = *profile.own.hive;
        const HiveFile::Node shown = own.Find(own.Root(), {"Software", "Classes"});
        const bool taken =
            shown && (!own.Children(shown).value_or(std::vector<HiveFile::Node>{1}).empty() ||
                      !own.Values(shown).value_or(std::vector<HiveFile::Value>(1)).empty());
        auto hive = taken ? nullptr : OpenHive(*classes, code_, error);
        if (hive) {
          profile.classes =
              OpenedHive{"HKEY_USERS\\" + *sid + "\\Software\\Classes", *classes, std::move(hive)};
        } else {
          outcome_.warnings.push_back(
              "profile " + profile.name + ": " +
              (taken ? "Software\\Classes of its NTUSER.DAT is not empty" : error) +
              "; its classes (UsrClass.dat) are not scanned");
        }
      }
      profiles_.push_back(std::move(profile));
    }
    return true;
  }

  void LeaveOut(const Profile& profile, const std::string& why) {
    unreadable_.push_back(profile.name);
    outcome_.warnings.push_back("profile " + profile.name + " (" + profile.sid +
                                ") left out: " + why);
  }

  bool ChooseUser() {
    if (!options_.user.empty()) {
      for (const Profile& profile : profiles_)
        if (IsUserSid(profile.sid) && SameNoCase(profile.name, options_.user)) user_ = &profile;
      if (user_) return true;
      for (const std::string& name : unreadable_)
        if (SameNoCase(name, options_.user))
          return Fail("profile " + options_.user + ": its registry hive cannot be read");
      std::string names;
      for (const Profile& profile : profiles_)
        if (IsUserSid(profile.sid)) names += (names.empty() ? "" : ", ") + profile.name;
      return Fail("no profile named " + options_.user +
                  " (profiles: " + (names.empty() ? "none" : names) + ")");
    }
    for (const Profile& profile : profiles_) {
      if (IsUserSid(profile.sid) && (!user_ || LastUsed(profile) > LastUsed(*user_)))
        user_ = &profile;
    }
    return true;
  }

  // When the profile was last used, as a FILETIME: the system writes the user's hive at each
  // logoff, stamping its header; a copy of the disk may keep only the file's own time.
  static std::int64_t LastUsed(const Profile& profile) {
    std::int64_t stamp = profile.own.hive->LastWritten();
    struct stat facts;
    if (stat(profile.own.file.c_str(), &facts) == 0) {
      constexpr std::int64_t kUnixEpoch = 116444736000000000;  // 1970 in FILETIME units
      stamp = std::max<std::int64_t>(
          stamp, kUnixEpoch + facts.st_mtim.tv_sec * 10000000LL + facts.st_mtim.tv_nsec / 100);
    }
    return stamp;
  }

  // The hive's keys below parent\name, a key that may be there already (empty).
  bool Import(platform::RegistryStore& store, platform::KeyId parent, const std::string& name,
              const OpenedHive& hive) {
    auto existing = store.Child(parent, code_.Lower(name));
    auto mount = existing ? std::optional(existing->id)
                          : store.AddChild(parent, name, code_.Lower(name),
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
    if (!error) fs::create_directory_symlink(root_, drives / "C", error);
    if (!error) fs::create_directory(image_ / "objects", error);
    if (error) return Fail(image_.string() + ": cannot be made (" + error.message() + ")");
    std::string problem;
    auto store =
        platform::RegistryStore::Open((image_ / "registry.db").string(), code_.Number(), &problem);
    if (!store) return Fail("cannot make the image's registry: " + problem);
    if (!store->Begin()) return Fail("cannot write the image's registry: " + store->LastError());
    bool imported = Import(*store, platform::kLocalMachineKey, "SYSTEM", system_[0]) &&
                    Import(*store, platform::kLocalMachineKey, "SOFTWARE", system_[1]) &&
                    Import(*store, platform::kUsersKey, ".DEFAULT", system_[2]);
    for (const Profile& profile : profiles_) {
      imported = imported && Import(*store, platform::kUsersKey, profile.sid, profile.own);
      if (imported && profile.classes) {
        // Below the user's own key, where HKEY_CLASSES_ROOT finds the user's classes.
        auto sid = store->Child(platform::kUsersKey, code_.Lower(profile.sid));
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
    record_.root = root_.string();
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
      auto child = store.Child(key, code_.Lower(name));
      auto id = child ? std::optional(child->id) : store.AddChild(key, name, code_.Lower(name), 0);
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
  fs::path root_, windows_, config_;
  CodePage code_{1252};
  std::string systemRoot_;
  std::vector<OpenedHive> system_;  // SYSTEM, SOFTWARE, DEFAULT
  std::vector<Profile> profiles_;
  std::vector<std::string> unreadable_;  // names of the profiles left out
  const Profile* user_ = nullptr;
  platform::AttachRecord record_;
};

}  // namespace

AttachOutcome AttachWindows(const std::string& image, const AttachOptions& options) {
  return Attacher(fs::absolute(image), options).Run();
}

std::string DetachWindows(const std::string& image, std::string& kept) {
  if (!platform::AttachRecord::Load(image)) return image + ": not an attached image";
  const fs::path drive = fs::path(image) / kDrivesFolder / kProgramDrive;
  RemoveAttachedParts(image, true);
  std::error_code error;
  kept = fs::exists(drive, error) ? drive.string() : "";
  return {};
}

}  // namespace vexmachine
