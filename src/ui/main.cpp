// Vexmarl.exe of Linux: the program, run inside a machine image. The composition root: it
// picks the view (the Qt window or the console) and hands it to the application.

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "app/application.h"
#include "platform/console.h"
#include "platform/image/image_machine.h"
#include "platform/shell.h"
#include "ui/console_view.h"
#include "ui/qt/qt_main_view.h"
#include "ui/view_choice.h"

namespace {

int RunWithConsole(platform::Machine& machine) {
  ui::ConsoleView view(std::cin, std::cout,
                       platform::IsTerminal(platform::ConsoleStream::Input) &&
                           platform::IsTerminal(platform::ConsoleStream::Output));
  app::Application application(machine, view, platform::GetCommandLineA());
  return application.Run();
}

int RunWithWindow(platform::ImageMachine& machine, const char* programPath) {
  // Qt sees only the program's own path: the command line is the program's (Qt would take
  // options such as "-session" for itself).
  int qtArgumentCount = 1;
  char* qtArguments[] = {const_cast<char*>(programPath), nullptr};
  QApplication qt(qtArgumentCount, qtArguments);
  ui::qt::QtMainView view(machine);
  app::Application application(machine, view, platform::GetCommandLineA());
  return application.Run();
}

}  // namespace

int main(int, char** argv) {
  std::string error;
  auto machine = platform::ImageMachine::OfThisProcess(&error);
  if (!machine) {
    std::fprintf(stderr, "Vexmarl: %s\n", error.c_str());
    return 2;
  }
  const ui::ViewChoice choice = ui::ChooseView([](const char* name) { return std::getenv(name); });
  if (!choice.ignoredValue.empty())
    std::fprintf(stderr, "Vexmarl: VEXMARL_VIEW=%s names no view (console or qt)\n",
                 choice.ignoredValue.c_str());
  if (choice.kind == ui::ViewKind::Qt) return RunWithWindow(*machine, argv[0]);
  return RunWithConsole(*machine);
}
