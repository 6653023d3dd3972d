// The Windows systems a new image can be made as, with the folders and registry settings
// each of them has.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vexmachine {

enum class FolderLayout {
  Windows9x,  // everything below the Windows folder, one user
  Nt4,        // profiles below the Windows folder
  Classic,    // "Documents and Settings" (2000, XP, 2003)
  Modern,     // "Users" and "ProgramData" (Vista, 7)
};

struct OsProfile {
  const char* name;  // as given to --os
  bool nt;
  unsigned major, minor, build;
  const char* servicePack;  // CSDVersion, or the 9x sub-version text
  const char* productName;
  const char* systemRoot;
  FolderLayout layout;
};

// The profile for a --os name, or null.
const OsProfile* FindOsProfile(const std::string& name);
// The profile of a Windows NT version, or null when images are made of no such version.
const OsProfile* FindNtProfile(unsigned major, unsigned minor);
std::string OsProfileNames();  // "95, 95osr2, ..." for messages

struct FolderSet {
  std::string profile;            // USERPROFILE, empty on Windows 9x
  std::string profilesDirectory;  // with %SystemDrive%, NT family only
  std::string allUsers;           // the all-users profile folder name, NT family only
  std::string temp;               // with variables, as TEMP holds it
  std::vector<std::pair<std::string, std::string>> userShellFolders;    // name, full path
  std::vector<std::pair<std::string, std::string>> commonShellFolders;  // name, full path
  std::vector<std::string> folders;                                     // every folder to create
};

FolderSet FoldersFor(const OsProfile& os, const std::string& user);

}  // namespace vexmachine
