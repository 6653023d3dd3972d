// The Windows system this process runs on, through its own services: the registry of
// advapi32, the files of kernel32, the process status library or tool help, the shell,
// user32's windows and messages, WinINet, COM and the loader.
#pragma once

#include <memory>

#include "platform/machine.h"
#include "platform/win32/win32_com.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_internet.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_messages.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system.h"

namespace platform {

class Win32Machine final : public Machine {
 public:
  Win32Machine();

  const CodePage& Code() const override { return codePage_; }
  Win32Files& files() override { return files_; }
  Win32Registry& registry() override { return registry_; }
  Win32System& system() override { return system_; }
  Win32Processes& processes() override { return processes_; }
  Win32Shell& shell() override { return shell_; }
  Win32Messages& messages() override { return messages_; }
  Win32Internet& internet() override { return internet_; }
  Win32Com& com() override { return com_; }
  Win32Libraries& libraries() override { return libraries_; }

 private:
  Win32Registry registry_;
  Win32System system_;
  CodePage codePage_;
  Win32Files files_;
  Win32Processes processes_;
  Win32Shell shell_;
  Win32Messages messages_;
  Win32Internet internet_;
  Win32Com com_;
  Win32Libraries libraries_;
};

}  // namespace platform
