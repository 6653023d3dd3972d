// Vexmarl.exe of Windows: the program on the system it runs on, shown on the console until
// the Windows window is there.
#include <cstdio>
#include <iostream>

#include "app/application.h"
#include "platform/console.h"
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
  ui::ConsoleView view(std::cin, std::cout,
                       platform::IsTerminal(platform::ConsoleStream::Input) &&
                           platform::IsTerminal(platform::ConsoleStream::Output));
  app::Application application(*machine, view, platform::GetCommandLineA());
  return application.Run();
}
