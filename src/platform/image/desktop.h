// The host's desktop session, where the person at the machine has one: programs of the image
// hand folders to its file manager and messages to its mail client. Tests and headless runs
// have none (no DISPLAY or WAYLAND_DISPLAY, or VEXMARL_DESKTOP=none).
#pragma once

#include <string>
#include <vector>

namespace platform {

bool DesktopSessionPresent();
// Starts a program of the host's desktop (a name looked for in the host's program folders)
// with its arguments, without waiting for it; false when it cannot be started.
bool StartDesktopProgram(const std::vector<std::string>& arguments);

}  // namespace platform
