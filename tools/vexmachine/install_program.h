// Installing the built program into an image, as the product's installer does: its files
// into a program folder, and the settings key with the defaults of a first scan.
#pragma once

#include <string>

#include "platform/image/image_machine.h"

namespace vexmachine {

inline constexpr const char* kDefaultProgramFolder = "C:\\Program Files\\Vexmarl";

// Copies the program's files from the host folder `from` into the Windows folder, then
// writes the settings the brand's first scan needs where they are not set yet. Empty on
// success, else what failed.
std::string InstallProgram(platform::Machine& machine, const std::string& from,
                           const std::string& folder);

}  // namespace vexmachine
