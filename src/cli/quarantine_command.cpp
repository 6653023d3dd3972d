// vexmarl-cli quarantine: the quarantine page without a window.
#include <algorithm>
#include <cstdio>
#include <iostream>

#include "app/quarantine_page.h"
#include "app/user_settings.h"
#include "cli/cli_program.h"

namespace cli {
namespace {

constexpr int kExitDone = 0, kExitFailed = 1;

}  // namespace

int QuarantineCommand(CliProgram& program, int argc, char** argv) {
  if (argc < 1) return WrongUsage("quarantine");
  const std::string action = argv[0];
  const bool list = action == "list";
  if (list ? argc != 1 : (action != "restore" && action != "delete") || argc < 2)
    return WrongUsage("quarantine");

  app::UserSettings settings(program.machine.registry(), program.branding.REGISTRYNAME);
  // The page's messages go to standard error; nobody is asked anything.
  platform::ConsolePrompt prompt(std::cin, std::cerr, false);
  app::QuarantinePage page(program.machine, program.resources, settings, prompt,
                           program.branding.APPNAME, program.programFolder);
  page.List();
  if (list) {
    for (const app::QuarantineRow& row : page.Rows())
      std::printf("%s\t%s\t%s\t%s\n", row.title.c_str(), row.itemTotal.c_str(), row.size.c_str(),
                  row.created.c_str());
    return kExitDone;
  }
  // Every name must be in the store before anything is done.
  for (int i = 1; i < argc; ++i) {
    if (!page.TickTitle(argv[i]))
      return CannotRun(std::string("no quarantine archive named ") + argv[i]);
  }
  const int named = static_cast<int>(page.Rows().size()) -
                    static_cast<int>(std::count_if(page.Rows().begin(), page.Rows().end(),
                                                   [](const auto& row) { return !row.ticked; }));
  const int handled = action == "restore" ? page.RestoreTicked() : page.DeleteTicked();
  for (const app::QuarantineRow& row : page.Rows())
    if (row.ticked)
      std::fprintf(stderr, "vexmarl-cli: %s was not %s and is kept\n", row.title.c_str(),
                   action == "restore" ? "restored" : "deleted");
  page.List();  // the store's statistics as they are now
  return handled == named ? kExitDone : kExitFailed;
}

}  // namespace cli
