// What vexmarl-cli says about its commands: one synopsis and one description a command, the
// exit statuses, and the texts of --help and of a wrong command line made of them.
#pragma once

#include <string>

namespace cli {

inline constexpr int kExitNothingFound = 0, kExitFound = 1, kExitCannotRun = 2,
                     kExitWaitsForRestart = 3;

// The synopsis of every command, then the exit statuses; what --help prints.
std::string GeneralHelp();
// The command's synopsis, description and exit statuses; empty for no such command.
std::string CommandHelp(const std::string& command);

// A wrong command line: the command's synopsis (every synopsis for an unknown command) on
// standard error; kExitCannotRun.
int WrongUsage(const std::string& command);

}  // namespace cli
