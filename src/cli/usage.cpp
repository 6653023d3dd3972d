#include "cli/usage.h"

#include <cstdio>

namespace cli {
namespace {

struct Command {
  const char* name;
  const char* synopsis;     // its lines after "vexmarl-cli ", each ending with a line end
  const char* description;  // what it does and its exit statuses
};

constexpr Command kCommands[] = {
    {"scan", "scan [--json] [--remove [--yes]]\n",
     "Scans the machine as the program's scan command does, with the user's scan settings, and\n"
     "writes each item it lists to standard output: its kind number, kind, spyware name and\n"
     "location, separated by tabs. On a terminal, standard error shows a progress line.\n"
     "\n"
     "  --json    one JSON object a listed item (type, kind, spyware, category, danger,\n"
     "            location, and for a file its size and md5 when it can be read), one a\n"
     "            removed item with --remove, and a closing summary object\n"
     "  --remove  then removes every listed item as the results page does, after copying\n"
     "            them into a quarantine archive; the questions are asked on the terminal\n"
     "  --yes     answers Yes to every question of the removal\n"
     "\n"
     "Exit status: 0 nothing found, or everything removed; 1 something found; 2 the scan\n"
     "could not run; 3 removed, but files wait for a restart.\n"},
    {"quarantine", "quarantine list | restore NAME... | delete NAME...\n",
     "Lists the quarantine archives (name, items, size, date, separated by tabs), or restores\n"
     "or deletes the archives named.\n"
     "\n"
     "Exit status: 0 done; 1 an archive was not restored or deleted; 2 cannot run.\n"},
    {"update", "update [--check] [--yes]\n",
     "Checks the update server for a newer program, then for newer definitions, and installs\n"
     "what the user accepts; one line a channel on standard output.\n"
     "\n"
     "  --check  only asks the server, installs nothing\n"
     "  --yes    answers Yes to every question\n"
     "\n"
     "Exit status: 0 nothing newer; 1 an update was found; 2 the check failed.\n"},
    {"schedule", "schedule [--daily HH:MM | --weekly DAY[,DAY] HH:MM | --once YYYY-MM-DD HH:MM]\n",
     "Sets the times of the scheduled scan's task (asked on the terminal without an option),\n"
     "then writes them to standard output.\n"
     "\n"
     "Exit status: 0 the task holds the times; 1 they were not saved; 2 cannot run.\n"},
    {"logs", "logs list | open | mail [FILE...]\n",
     "Lists the session logs with their sizes, opens their folder in the file browser, or\n"
     "mails logs (the newest without FILE) to the makers.\n"
     "\n"
     "Exit status: 0 done; 1 the mail was not sent; 2 cannot run.\n"},
    {"help", "help [COMMAND] | COMMAND --help\n", "Describes every command, or one.\n"},
    {"--version", "--version\n",
     "Writes the program's version, the definitions' version and date, and the system.\n"},
};

constexpr const char* kProgram = "vexmarl-cli ";
constexpr const char* kExitStatuses =
    "Exit status: 0 nothing found, 1 found, 2 error, 3 waits for a restart.\n";

const Command* Find(const std::string& name) {
  for (const Command& command : kCommands)
    if (name == command.name) return &command;
  return nullptr;
}

// "usage: vexmarl-cli " before the first line, aligned blanks before the others.
std::string Synopsis(const char* lines, bool first) {
  const std::string lead = std::string(first ? "usage: " : "       ") + kProgram;
  const std::string indent = std::string("       ") + kProgram;
  std::string text;
  for (const char* line = lines; *line;) {
    const char* end = line;
    while (*end && *end != '\n') ++end;
    text += (text.empty() ? lead : indent) + std::string(line, end) + "\n";
    line = *end ? end + 1 : end;
  }
  return text;
}

}  // namespace

std::string GeneralHelp() {
  std::string text;
  for (const Command& command : kCommands) text += Synopsis(command.synopsis, text.empty());
  return text + "\n" + kExitStatuses + "Run 'vexmarl-cli help COMMAND' for one command.\n";
}

std::string CommandHelp(const std::string& name) {
  const Command* command = Find(name);
  if (!command) return {};
  return Synopsis(command->synopsis, true) + "\n" + command->description;
}

int WrongUsage(const std::string& name) {
  const Command* command = Find(name);
  std::string text;
  if (command) {
    text = Synopsis(command->synopsis, true);
  } else {
    for (const Command& each : kCommands) text += Synopsis(each.synopsis, text.empty());
  }
  std::fputs(text.c_str(), stderr);
  return kExitCannotRun;
}

}  // namespace cli
