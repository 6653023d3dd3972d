// What the folder of a Windows installation holds, read from the host: its system folder and
// hives and the profiles that its profile list names, found without regard to case, and
// checked to be of a Windows NT system that the program cleans.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/code_page.h"
#include "platform/image/hive_file.h"

namespace vexmachine {

struct OpenedHive {
  std::string key;  // where it is mounted
  std::filesystem::path file;
  std::unique_ptr<platform::HiveFile> hive;
};

struct Profile {
  std::string sid, name;
  OpenedHive own;                     // NTUSER.DAT
  std::optional<OpenedHive> classes;  // the user's classes hive (UsrClass.dat)
};

struct WindowsInstallation {
  std::filesystem::path root;  // the folder that was the system's drive C, without links
  platform::CodePage code{1252};
  std::vector<OpenedHive> system;     // SYSTEM, SOFTWARE, DEFAULT
  std::vector<Profile> profiles;      // those with a readable NTUSER.DAT
  std::vector<std::string> leftOut;   // names of the profiles whose hive cannot be read
  std::vector<std::string> warnings;  // what was left out, and why
};

// Reads the installation at root. Empty on success, else the one line that says why it is
// no installation to attach.
std::string ReadWindowsInstallation(const std::string& root, WindowsInstallation& found);

// When the profile was last used, as a FILETIME: the system writes the user's hive at each
// logoff, stamping its header; a copy of the disk may keep only the file's own time.
std::int64_t LastUsed(const Profile& profile);

bool SameNoCase(const std::string& a, const std::string& b);  // ASCII letters in any case
bool IsUserSid(const std::string& sid);  // a person's account, not the system's

}  // namespace vexmachine
