// Vexmarl.exe: the program, run inside a machine image.
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "app/application.h"
#include "platform/machine.h"
#include "platform/shell.h"
#include "ui/console_view.h"

int main() {
  std::string error;
  auto machine = platform::Machine::OfThisProcess(&error);
  if (!machine) {
    std::fprintf(stderr, "Vexmarl: %s\n", error.c_str());
    return 2;
  }
  ui::ConsoleView view(std::cin, std::cout, isatty(STDIN_FILENO) && isatty(STDOUT_FILENO));
  app::Application application(*machine, view, platform::GetCommandLineA());
  return application.Run();
}
