// What every command of vexmarl-cli sets up first, as the program does at start-up: the
// program folder as the current folder, the resource library and the brand.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/branding_settings.h"
#include "app/resources.h"
#include "cli/usage.h"
#include "definitions/database_loader.h"
#include "platform/machine.h"

namespace cli {

// Writes "vexmarl-cli: " and the reason to standard error; kExitCannotRun.
int CannotRun(const std::string& reason);

// Why database.db could not be loaded, as the commands say it.
std::string DatabaseProblem(definitions::LoadError error);

struct CliProgram {
  platform::Machine& machine;
  std::string programFolder;  // with its trailing backslash
  app::Resources resources;
  app::BrandingSettings branding;
};

// Null, with the reason written to standard error, when the program cannot run.
std::unique_ptr<CliProgram> StartProgram(platform::Machine& machine);

struct ScanOptions {
  bool json = false;    // --json: JSON objects on standard output instead of text lines
  bool remove = false;  // --remove: remove every listed item after the scan
  bool yes = false;     // --yes: answer Yes to every question of the removal
};
int ScanCommand(CliProgram& program, const ScanOptions& options);
// --version: the program, its definitions and the machine's system on standard output.
int VersionCommand(CliProgram& program);
int QuarantineCommand(CliProgram& program, int argc, char** argv);

struct UpdateOptions {
  bool check = false;  // --check: the queries only
  bool yes = false;    // --yes: Yes to every question
};
int UpdateCommand(CliProgram& program, const UpdateOptions& options);
// when: "daily HH:MM", "weekly DAY[,DAY] HH:MM", "once YYYY-MM-DD HH:MM", or empty to ask.
int ScheduleCommand(CliProgram& program, const std::string& when);
int LogsCommand(CliProgram& program, const std::vector<std::string>& arguments);

}  // namespace cli
