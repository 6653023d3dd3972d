#include "os_profiles.h"

namespace vexmachine {

namespace {

constexpr OsProfile kProfiles[] = {
    {"95", false, 4, 0, 950, "", "Microsoft Windows 95", "C:\\WINDOWS", FolderLayout::Windows9x},
    {"95osr2", false, 4, 0, 1111, " B", "Microsoft Windows 95", "C:\\WINDOWS",
     FolderLayout::Windows9x},
    {"98", false, 4, 10, 1998, "", "Microsoft Windows 98", "C:\\WINDOWS", FolderLayout::Windows9x},
    {"98se", false, 4, 10, 2222, " A ", "Microsoft Windows 98", "C:\\WINDOWS",
     FolderLayout::Windows9x},
    {"me", false, 4, 90, 3000, " ", "Microsoft Windows ME", "C:\\WINDOWS", FolderLayout::Windows9x},
    {"nt351", true, 3, 51, 1057, "Service Pack 5", "Microsoft Windows NT", "C:\\WINNT",
     FolderLayout::Nt4},
    {"nt4", true, 4, 0, 1381, "Service Pack 6", "Microsoft Windows NT", "C:\\WINNT",
     FolderLayout::Nt4},
    {"2000", true, 5, 0, 2195, "Service Pack 4", "Microsoft Windows 2000", "C:\\WINNT",
     FolderLayout::Classic},
    {"xp", true, 5, 1, 2600, "Service Pack 2", "Microsoft Windows XP", "C:\\WINDOWS",
     FolderLayout::Classic},
    {"2003", true, 5, 2, 3790, "Service Pack 2", "Microsoft Windows Server 2003", "C:\\WINDOWS",
     FolderLayout::Classic},
    {"vista", true, 6, 0, 6002, "Service Pack 2", "Windows Vista (TM) Business", "C:\\Windows",
     FolderLayout::Modern},
    {"7", true, 6, 1, 7601, "Service Pack 1", "Windows 7 Professional", "C:\\Windows",
     FolderLayout::Modern},
};

// Shell folder value names and where they lie below a base folder.
using Places = std::vector<std::pair<std::string, std::string>>;

Places Below(const std::string& base, const Places& relative) {
  Places places;
  for (const auto& [name, path] : relative) places.emplace_back(name, base + "\\" + path);
  return places;
}

const Places kClassicUser = {
    {"AppData", "Application Data"},
    {"Cache", "Local Settings\\Temporary Internet Files"},
    {"Cookies", "Cookies"},
    {"Desktop", "Desktop"},
    {"Favorites", "Favorites"},
    {"History", "Local Settings\\History"},
    {"Local AppData", "Local Settings\\Application Data"},
    {"NetHood", "NetHood"},
    {"Personal", "My Documents"},
    {"PrintHood", "PrintHood"},
    {"Programs", "Start Menu\\Programs"},
    {"Recent", "Recent"},
    {"SendTo", "SendTo"},
    {"Start Menu", "Start Menu"},
    {"Startup", "Start Menu\\Programs\\Startup"},
    {"Templates", "Templates"},
};

const Places kClassicCommon = {
    {"Common AppData", "Application Data"},
    {"Common Desktop", "Desktop"},
    {"Common Documents", "Documents"},
    {"Common Favorites", "Favorites"},
    {"Common Programs", "Start Menu\\Programs"},
    {"Common Start Menu", "Start Menu"},
    {"Common Startup", "Start Menu\\Programs\\Startup"},
    {"Common Templates", "Templates"},
};

const Places kModernUser = {
    {"AppData", "AppData\\Roaming"},
    {"Cache", "AppData\\Local\\Microsoft\\Windows\\Temporary Internet Files"},
    {"Cookies", "AppData\\Roaming\\Microsoft\\Windows\\Cookies"},
    {"Desktop", "Desktop"},
    {"Favorites", "Favorites"},
    {"History", "AppData\\Local\\Microsoft\\Windows\\History"},
    {"Local AppData", "AppData\\Local"},
    {"Personal", "Documents"},
    {"Programs", "AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"},
    {"Recent", "AppData\\Roaming\\Microsoft\\Windows\\Recent"},
    {"SendTo", "AppData\\Roaming\\Microsoft\\Windows\\SendTo"},
    {"Start Menu", "AppData\\Roaming\\Microsoft\\Windows\\Start Menu"},
    {"Startup", "AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"},
    {"Templates", "AppData\\Roaming\\Microsoft\\Windows\\Templates"},
};

const Places kModernCommon = {
    {"Common AppData", ""},
    {"Common Programs", "Microsoft\\Windows\\Start Menu\\Programs"},
    {"Common Start Menu", "Microsoft\\Windows\\Start Menu"},
    {"Common Startup", "Microsoft\\Windows\\Start Menu\\Programs\\Startup"},
    {"Common Templates", "Microsoft\\Windows\\Templates"},
};

const Places k9xUser = {
    {"AppData", "Application Data"},
    {"Cache", "Temporary Internet Files"},
    {"Cookies", "Cookies"},
    {"Desktop", "Desktop"},
    {"Favorites", "Favorites"},
    {"History", "History"},
    {"NetHood", "NetHood"},
    {"Programs", "Start Menu\\Programs"},
    {"Recent", "Recent"},
    {"SendTo", "SendTo"},
    {"Start Menu", "Start Menu"},
    {"Startup", "Start Menu\\Programs\\StartUp"},
    {"Templates", "ShellNew"},
};

}  // namespace

const OsProfile* FindNtProfile(unsigned major, unsigned minor) {
  for (const OsProfile& os : kProfiles)
    if (os.nt && os.major == major && os.minor == minor) return &os;
  return nullptr;
}

const OsProfile* FindOsProfile(const std::string& name) {
  for (const OsProfile& profile : kProfiles) {
    if (name == profile.name) return &profile;
  }
  return nullptr;
}

std::string OsProfileNames() {
  std::string names;
  for (const OsProfile& profile : kProfiles)
    names += (names.empty() ? "" : ", ") + std::string(profile.name);
  return names;
}

FolderSet FoldersFor(const OsProfile& os, const std::string& user) {
  FolderSet set;
  const std::string root = os.systemRoot;
  std::string profiles, allUsers = "All Users";
  switch (os.layout) {
    case FolderLayout::Windows9x:
      set.temp = "%windir%\\TEMP";
      set.userShellFolders = Below(root, k9xUser);
      set.userShellFolders.emplace_back("Personal", "C:\\My Documents");
      break;
    case FolderLayout::Nt4:
      profiles = root + "\\Profiles";
      set.profilesDirectory = "%SystemRoot%\\Profiles";
      set.temp = "%SystemDrive%\\TEMP";
      set.userShellFolders = Below(profiles + "\\" + user, kClassicUser);
      set.commonShellFolders = Below(profiles + "\\" + allUsers, kClassicCommon);
      break;
    case FolderLayout::Classic:
      profiles = "C:\\Documents and Settings";
      set.profilesDirectory = "%SystemDrive%\\Documents and Settings";
      set.temp = "%USERPROFILE%\\Local Settings\\Temp";
      set.userShellFolders = Below(profiles + "\\" + user, kClassicUser);
      set.commonShellFolders = Below(profiles + "\\" + allUsers, kClassicCommon);
      break;
    case FolderLayout::Modern:
      profiles = "C:\\Users";
      allUsers = "Public";
      set.profilesDirectory = "%SystemDrive%\\Users";
      set.temp = "%USERPROFILE%\\AppData\\Local\\Temp";
      set.userShellFolders = Below(profiles + "\\" + user, kModernUser);
      set.commonShellFolders = Below("C:\\ProgramData", kModernCommon);
      set.commonShellFolders[0].second = "C:\\ProgramData";
      break;
  }
  if (!profiles.empty()) {
    set.profile = profiles + "\\" + user;
    set.allUsers = allUsers;
  }

  set.folders = {root,
                 root + (os.nt ? "\\system32" : "\\SYSTEM"),
                 root + (os.nt ? "\\system32\\drivers\\etc" : ""),
                 root + "\\Tasks",
                 "C:\\Program Files",
                 "C:\\Program Files\\Common Files",
                 "C:\\Program Files\\Internet Explorer"};
  if (os.layout == FolderLayout::Windows9x) set.folders.push_back(root + "\\TEMP");
  if (os.layout == FolderLayout::Nt4) set.folders.push_back("C:\\TEMP");
  if (os.layout == FolderLayout::Classic)
    set.folders.push_back(set.profile + "\\Local Settings\\Temp");
  if (os.layout == FolderLayout::Modern)
    set.folders.push_back(set.profile + "\\AppData\\Local\\Temp");
  for (const auto& [name, path] : set.userShellFolders) set.folders.push_back(path);
  for (const auto& [name, path] : set.commonShellFolders) set.folders.push_back(path);
  if (os.layout == FolderLayout::Classic || os.layout == FolderLayout::Nt4) {
    for (const auto& [name, path] : Below(profiles + "\\Default User", kClassicUser))
      set.folders.push_back(path);
  }
  return set;
}

}  // namespace vexmachine
