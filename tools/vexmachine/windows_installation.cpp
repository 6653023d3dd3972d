#include "windows_installation.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "os_profiles.h"
#include "platform/registry.h"
#include "platform/windows_path.h"

namespace vexmachine {
namespace {

namespace fs = std::filesystem;
using platform::CodePage;
using platform::HiveFile;

constexpr const char* kNtVersionPath[] = {"Microsoft", "Windows NT", "CurrentVersion"};

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

std::unique_ptr<HiveFile> OpenHive(const fs::path& file, const CodePage& code, std::string& error) {
  std::string reason;
  auto hive = HiveFile::Open(file.string(), code, false, &reason);
  if (!hive) error = file.string() + ": damaged or not a registry hive (" + reason + ")";
  return hive;
}

// %SystemDrive% and %SystemRoot% in a profile's path, as the system expands them.
std::string ExpandSystemVariables(const std::string& text, const std::string& systemRoot) {
  std::string expanded;
  for (std::size_t at = 0; at < text.size();) {
    bool replaced = false;
    for (const auto& [name, value] : {std::pair<std::string, std::string>{"%SystemDrive%", "C:"},
                                      {"%SystemRoot%", systemRoot}}) {
      if (!replaced && SameNoCase(text.substr(at, name.size()), name)) {
        expanded += value;
        at += name.size();
        replaced = true;
      }
    }
    if (!replaced) expanded += text[at++];
  }
  return expanded;
}

class InstallationReader {
 public:
  InstallationReader(const std::string& root, WindowsInstallation& found)
      : rootText_(root), found_(found) {}

  std::string Run() {
    if (FindSystem() && OpenSystemHives() && CheckIdentity()) FindProfiles();
    return error_;
  }

 private:
  bool Fail(std::string error) {
    error_ = std::move(error);
    return false;
  }

  bool FindSystem() {
    std::error_code error;
    found_.root = fs::canonical(rootText_, error);
    if (error || !fs::is_directory(found_.root)) return Fail(rootText_ + ": no such folder");
    for (const fs::directory_entry& entry : fs::directory_iterator(found_.root, error)) {
      if (!entry.is_directory(error) || entry.is_symlink(error)) continue;
      if (auto config = FindPathNoCase(entry.path(), {"system32", "config"});
          config && FindNoCase(*config, "SOFTWARE")) {
        windows_ = entry.path();
        config_ = *config;
        return true;
      }
    }
    return Fail(rootText_ +
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
      auto hive = OpenHive(*file, found_.code, error);
      if (!hive) return Fail(error);
      found_.system.push_back(OpenedHive{key, *file, std::move(hive)});
    }
    return true;
  }

  // The version, the code page and the system folder, as the hives give them: a hive set of
  // another system, or of one that no image can be, is refused.
  bool CheckIdentity() {
    HiveFile& software = *found_.system[1].hive;
    HiveFile& system = *found_.system[0].hive;
    const auto version =
        software.Find(software.Root(), {std::begin(kNtVersionPath), std::end(kNtVersionPath)});
    auto current = HiveText(software, version, "CurrentVersion");
    if (!current)
      return Fail(found_.system[1].file.string() +
                  ": not the SOFTWARE hive of a Windows NT system (no Microsoft\\Windows "
                  "NT\\CurrentVersion)");
    unsigned major = 0, minor = 0;
    if (std::sscanf(current->c_str(), "%u.%u", &major, &minor) != 2 || !FindNtProfile(major, minor))
      return Fail(found_.system[1].file.string() + ": the hive of Windows NT " + *current +
                  ", a version Vexmarl does not clean");
    systemRoot_ = HiveText(software, version, "SystemRoot").value_or("");
    const std::string folder = systemRoot_.substr(systemRoot_.rfind('\\') + 1);
    if (systemRoot_.size() < 3 || !SameNoCase(systemRoot_.substr(0, 3), "C:\\") ||
        !SameNoCase(folder, windows_.filename().string()))
      return Fail(found_.system[1].file.string() +
                  ": the hive of another system (its system folder is " +
                  (systemRoot_.empty() ? std::string("not named") : systemRoot_) + ", not C:\\" +
                  windows_.filename().string() + ")");
    auto selected = HiveNumber(system, system.Find(system.Root(), {"Select"}), "Current");
    char controlSet[32];
    std::snprintf(controlSet, sizeof controlSet, "ControlSet%03u", selected.value_or(0));
    const HiveFile::Node set = selected ? system.Child(system.Root(), controlSet) : 0;
    if (!set)
      return Fail(
          found_.system[0].file.string() +
          ": not the SYSTEM hive of a Windows NT system (no control set in Select\\Current)");
    auto acp = HiveText(system, system.Find(set, {"Control", "Nls", "CodePage"}), "ACP");
    const unsigned number =
        acp ? static_cast<unsigned>(std::strtoul(acp->c_str(), nullptr, 10)) : 0;
    if (number) found_.code = CodePage(number);
    // Names and texts of every hive are read in the system's own code page from here on.
    for (OpenedHive& opened : found_.system) {
      std::string error;
      opened.hive = OpenHive(opened.file, found_.code, error);
      if (!opened.hive) return Fail(error);
    }
    return true;
  }

  bool FindProfiles() {
    HiveFile& software = *found_.system[1].hive;
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
        std::vector<std::string> names =
            platform::SplitAtBackslashes(found_.code, windowsPath.substr(3));
        folder = FindPathNoCase(found_.root, names);
      }
      auto file = folder ? FindNoCase(*folder, "NTUSER.DAT") : std::nullopt;
      if (!file) {
        // The system's own accounts often have no hive of their own.
        if (user) LeaveOut(profile, "no NTUSER.DAT in " + windowsPath);
        continue;
      }
      std::string error;
      profile.own.file = *file;
      profile.own.hive = OpenHive(*file, found_.code, error);
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
        auto hive = taken ? nullptr : OpenHive(*classes, found_.code, error);
        if (hive) {
          profile.classes =
              OpenedHive{"HKEY_USERS\\" + *sid + "\\Software\\Classes", *classes, std::move(hive)};
        } else {
          found_.warnings.push_back(
              "profile " + profile.name + ": " +
              (taken ? "Software\\Classes of its NTUSER.DAT is not empty" : error) +
              "; its classes (UsrClass.dat) are not scanned");
        }
      }
      found_.profiles.push_back(std::move(profile));
    }
    return true;
  }

  void LeaveOut(const Profile& profile, const std::string& why) {
    found_.leftOut.push_back(profile.name);
    found_.warnings.push_back("profile " + profile.name + " (" + profile.sid +
                              ") left out: " + why);
  }

  std::string rootText_;
  WindowsInstallation& found_;
  std::string error_;
  fs::path windows_, config_;
  std::string systemRoot_;
};

}  // namespace

bool SameNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool IsUserSid(const std::string& sid) {
  return sid.rfind("S-1-5-21-", 0) == 0;
}

std::int64_t LastUsed(const Profile& profile) {
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

std::string ReadWindowsInstallation(const std::string& root, WindowsInstallation& found) {
  return InstallationReader(root, found).Run();
}

}  // namespace vexmachine
