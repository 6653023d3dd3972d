// The hand-over to the installer and the installation: the install list "Corvane.dat", the
// installer started through the DLL runner, and the files moved or unpacked into place.
#pragma once

#include <string>
#include <vector>

#include "platform/machine.h"
#include "updater/update_library.h"

namespace updater {

inline constexpr const char* kInstallListName = "Corvane.dat";
inline constexpr const char* kLibraryName = "Corvane.dll";
inline constexpr const char* kInstallerCopyName = "xCorvane.dll";

// One file line of the install list.
struct InstallItem {
  std::string source, name, folder;
  bool unpack = false, open = false;
};

struct InstallList {
  std::string programPath;
  bool restart = false;
  std::vector<InstallItem> items;
};

// The install list's text: lines ending with CR LF.
std::string InstallListText(const InstallList& list);
// The running program's path and folder (with its trailing backslash), both in their 8.3
// form on systems before version 4.90.
std::string ProgramPath(platform::Machine& machine);

// The twelve path macros of a target folder replaced, each every time it occurs, in order,
// with an exact match.
std::string ExpandPathMacros(platform::System& system, std::string folder);
// The folder and the name joined with one backslash.
std::string JoinTarget(const std::string& folder, const std::string& name);

// Copies the library to "xCorvane.dll", writes the install list from the library's entries
// and starts the installer. False when the list cannot be written or the installer cannot be
// started (the list is then removed again): the program goes on.
bool HandOverToInstaller(UpdateLibrary& library);
// Installs what an install list's text names; its program path and restart flag come back.
// False when a line was no file line ("Error in installing updates." was shown).
struct InstallOutcome {
  bool completed = false;
  std::string programPath;
  bool restart = false;
};
InstallOutcome InstallFromList(platform::Machine& machine, platform::Prompt& prompt,
                               const std::string& text);
// The installer: after the program has had 2000 ms to end, installs what the list in the
// current folder names, deletes the list, then starts the program again when the list says
// so and ends the process.
void InstallUpdates(UpdateLibrary& library, unsigned waitMilliseconds = 2000);
// Ends the process at once with exit code 0: output is flushed, no clean-up of the program
// runs.
[[noreturn]] void EndProcessNow();

}  // namespace updater
