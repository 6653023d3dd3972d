// The shell of the Windows system this process runs on: programs start and documents open
// through the system's ShellExecute and CreateProcessA, and shortcuts are read with the
// shell's own link object. Process handles it gives out are the platform's, over the
// system's (SystemHandleKind::Process), so Processes can wait on and end them.
#pragma once

#include <string>

#include "platform/shell.h"

namespace platform {

class Win32Shell : public Shell {
 public:
  Win32Shell(Files& files, System& system) : Shell(files, system) {}

  HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                          int show) override;
  BOOL ShellExecuteExA(SHELLEXECUTEINFOA* info) override;
  HANDLE StartProgram(const std::string& program, const std::string& commandLine,
                      const std::string& directory) override;
  std::string ShortcutTarget(const std::string& path) override;
};

}  // namespace platform
