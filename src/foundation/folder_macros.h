// The twelve folder macros that definitions and install lists use ("%appdata%" ...), in their
// order, and the folder each stands for on a machine.
#pragma once

#include <array>
#include <string>

#include "platform/system.h"

namespace foundation {

struct FolderMacro {
  const char* name;
  int folder;  // the shell folder's id; 0: the environment's %temp%
};

extern const std::array<FolderMacro, 12> kFolderMacros;

// The folder without a trailing backslash, at most 259 characters; empty when the machine has
// none.
std::string FolderMacroValue(platform::System& system, const FolderMacro& macro);

}  // namespace foundation
