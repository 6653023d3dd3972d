// Vexmarl.exe of Windows: the program on the system it runs on. The composition root: it
// shows the window (ui/win32), or the console view where the program is started with
// VEXMARL_VIEW=console, and hands the view to the application.
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "app/application.h"
#include "platform/console.h"
#include "platform/machine.h"
#include "platform/shell.h"
#include "ui/console_view.h"
#include "ui/win32/console_calls.h"
#include "ui/win32/win32_main_view.h"

namespace {

constexpr const char* kViewVariable = "VEXMARL_VIEW";

int RunWithConsole(platform::Machine& machine) {
  // A program of the window subsystem has no console of its own.
  win32::view::UseStartingConsole();
  ui::ConsoleView view(std::cin, std::cout,
                       platform::IsTerminal(platform::ConsoleStream::Input) &&
                           platform::IsTerminal(platform::ConsoleStream::Output));
  app::Application application(machine, view, platform::GetCommandLineA());
  return application.Run();
}

int RunWithWindow(platform::Machine& machine) {
  ui::win32::Win32MainView view(machine);
  app::Application application(machine, view, platform::GetCommandLineA());
  return application.Run();
}

}  // namespace

int main() {
  std::string error;
  auto machine = platform::Machine::OfThisProcess(&error);
  if (!machine) {
    std::fprintf(stderr, "Vexmarl: %s\n", error.c_str());
    return 2;
  }
  const char* chosen = std::getenv(kViewVariable);
  const std::string view = chosen ? chosen : "";
  if (machine->Code().EqualNoCase(view, "console")) return RunWithConsole(*machine);
  if (!view.empty() && !machine->Code().EqualNoCase(view, "window"))
    std::fprintf(stderr, "Vexmarl: %s=%s names no view (console or window)\n", kViewVariable,
                 view.c_str());
  return RunWithWindow(*machine);
}
