// The shell of a machine image: programs of the image (host executables under Windows names)
// run as real child processes with the machine's environment, documents and URLs open
// through the HKEY_CLASSES_ROOT associations, and shortcuts are read with liblnk and, where
// liblnk cannot read them, with the image's own reader of their layout.
#pragma once

#include <optional>
#include <string>

#include "platform/image/image_files.h"
#include "platform/image/image_processes.h"
#include "platform/image/image_system.h"
#include "platform/shell.h"

namespace platform {

// The environment variable through which a started program receives its Windows command
// line unchanged.
inline constexpr const char* kCommandLineVariable = "VEXMARL_COMMAND_LINE";

class ImageShell : public Shell {
 public:
  ImageShell(ImageFiles& files, ImageSystem& system, Registry& registry, ImageProcesses& processes)
      : Shell(files, system),
        files_(files),
        system_(system),
        registry_(registry),
        processes_(processes) {}

  HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                          int show) override;
  BOOL ShellExecuteExA(SHELLEXECUTEINFOA* info) override;
  HANDLE StartProgram(const std::string& program, const std::string& commandLine,
                      const std::string& directory) override;
  std::string ShortcutTarget(const std::string& path) override;

 private:
  ULONGLONG Execute(const SHELLEXECUTEINFOA& info, HANDLE* process);
  std::optional<std::string> AssociatedCommand(const std::string& file, const std::string& verb);

  ImageFiles& files_;
  ImageSystem& system_;
  Registry& registry_;
  ImageProcesses& processes_;
};

}  // namespace platform
