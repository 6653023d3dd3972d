// vexmarl-cli.exe: the console front end of the program, on the machine it runs on.
//   vexmarl-cli scan [--remove [--yes]]    scans as the start page's scan command does, then
//                                          removes what it listed as the results page does
//   vexmarl-cli quarantine list            the quarantine page's rows
//   vexmarl-cli quarantine restore NAME... restores archives of the store
//   vexmarl-cli quarantine delete NAME...  deletes archives of the store
//   vexmarl-cli update [--check] [--yes]   checks the program and the definitions for updates
//                                          as the window does, and installs what is accepted
//   vexmarl-cli schedule [--daily HH:MM | --weekly DAY HH:MM | --once YYYY-MM-DD HH:MM]
//                                          the scheduled scan's task and its times
//   vexmarl-cli logs list | open | mail [FILE...]
//                                          the logs folder: its files, the file browser on
//                                          it, logs mailed to the makers
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_program.h"

namespace {

constexpr const char* kUsage =
    "usage: vexmarl-cli scan [--remove [--yes]]\n"
    "       vexmarl-cli quarantine list | restore NAME... | delete NAME...\n"
    "       vexmarl-cli update [--check] [--yes]\n"
    "       vexmarl-cli schedule [--daily HH:MM | --weekly DAY[,DAY] HH:MM | --once YYYY-MM-DD "
    "HH:MM]\n"
    "       vexmarl-cli logs list | open | mail [FILE...]\n";

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc >= 2 ? argv[1] : "";
  cli::ScanOptions options;
  bool usable = command == "quarantine";
  if (command == "scan") {
    usable = true;
    for (int i = 2; i < argc; ++i) {
      const std::string option = argv[i];
      if (option == "--remove") {
        options.remove = true;
      } else if (option == "--yes") {
        options.yes = true;
      } else {
        usable = false;
      }
    }
    if (options.yes && !options.remove) usable = false;
  }
  cli::UpdateOptions update;
  if (command == "update") {
    usable = true;
    for (int i = 2; i < argc; ++i) {
      const std::string option = argv[i];
      if (option == "--check") {
        update.check = true;
      } else if (option == "--yes") {
        update.yes = true;
      } else {
        usable = false;
      }
    }
  }
  // schedule: one option with its time, as the schedule page would take it.
  std::string when;
  if (command == "schedule") {
    usable = argc == 2;
    const std::string option = argc >= 3 ? argv[2] : "";
    const int words = option == "--daily" ? 1 : option == "--weekly" || option == "--once" ? 2 : 0;
    if (words && argc == 3 + words) {
      usable = true;
      when = option.substr(2);
      for (int i = 3; i < argc; ++i) when += std::string(" ") + argv[i];
    }
  }
  if (command == "logs") usable = argc >= 3;
  const bool scan = command == "scan";
  if (!usable) {
    std::fputs(kUsage, stderr);
    return cli::kExitCannotRun;
  }
  std::string error;
  auto machine = platform::Machine::OfThisProcess(&error);
  if (!machine) return cli::CannotRun(error);
  auto program = cli::StartProgram(*machine);
  if (!program) return cli::kExitCannotRun;
  if (command == "update") return cli::UpdateCommand(*program, update);
  if (command == "schedule") return cli::ScheduleCommand(*program, when);
  if (command == "logs")
    return cli::LogsCommand(*program, std::vector<std::string>(argv + 2, argv + argc));
  return scan ? cli::ScanCommand(*program, options)
              : cli::QuarantineCommand(*program, argc - 2, argv + 2);
}
