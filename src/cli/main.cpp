// vexmarl-cli.exe: the console front end of the program, on the machine it runs on. Its
// commands, their options and exit statuses are described in usage.cpp.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_program.h"
#include "cli/usage.h"

namespace {

bool ParseScan(const std::vector<std::string>& options, cli::ScanOptions& scan) {
  for (const std::string& option : options) {
    if (option == "--json") {
      scan.json = true;
    } else if (option == "--remove") {
      scan.remove = true;
    } else if (option == "--yes") {
      scan.yes = true;
    } else {
      return false;
    }
  }
  return scan.remove || !scan.yes;
}

bool ParseUpdate(const std::vector<std::string>& options, cli::UpdateOptions& update) {
  for (const std::string& option : options) {
    if (option == "--check") {
      update.check = true;
    } else if (option == "--yes") {
      update.yes = true;
    } else {
      return false;
    }
  }
  return true;
}

// schedule: one option with its time, as the schedule page would take it; when is empty
// without one.
bool ParseSchedule(const std::vector<std::string>& options, std::string& when) {
  if (options.empty()) return true;
  const std::string& option = options[0];
  const std::size_t words = option == "--daily"                          ? 1
                            : option == "--weekly" || option == "--once" ? 2
                                                                         : 0;
  if (!words || options.size() != 1 + words) return false;
  when = option.substr(2);
  for (std::size_t i = 1; i < options.size(); ++i) when += " " + options[i];
  return true;
}

int Help(const std::vector<std::string>& arguments) {
  if (arguments.empty()) {
    std::fputs(cli::GeneralHelp().c_str(), stdout);
    return 0;
  }
  const std::string text = arguments.size() == 1 ? cli::CommandHelp(arguments[0]) : "";
  if (text.empty()) return cli::WrongUsage("help");
  std::fputs(text.c_str(), stdout);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc >= 2 ? argv[1] : "";
  const std::vector<std::string> arguments(argv + std::min(argc, 2), argv + argc);
  if (command == "help" || command == "--help") return Help(arguments);
  for (const std::string& argument : arguments)
    if (argument == "--help") return Help({command});

  cli::ScanOptions scan;
  cli::UpdateOptions update;
  std::string when;
  bool usable = false;
  if (command == "scan") usable = ParseScan(arguments, scan);
  if (command == "update") usable = ParseUpdate(arguments, update);
  if (command == "schedule") usable = ParseSchedule(arguments, when);
  if (command == "quarantine" || command == "logs") usable = !arguments.empty();
  if (command == "--version") usable = arguments.empty();
  if (!usable) return cli::WrongUsage(command);

  std::string error;
  auto machine = platform::Machine::OfThisProcess(&error);
  if (!machine) return cli::CannotRun(error);
  auto program = cli::StartProgram(*machine);
  if (!program) return cli::kExitCannotRun;
  if (command == "--version") return cli::VersionCommand(*program);
  if (command == "scan") return cli::ScanCommand(*program, scan);
  if (command == "update") return cli::UpdateCommand(*program, update);
  if (command == "schedule") return cli::ScheduleCommand(*program, when);
  if (command == "logs") return cli::LogsCommand(*program, arguments);
  return cli::QuarantineCommand(*program, argc - 2, argv + 2);
}
