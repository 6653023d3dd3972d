// The console of the Linux build: a terminal, and SIGINT.
#include "platform/console.h"

#include <signal.h>
#include <unistd.h>

namespace platform {

namespace {
void (*interruptHandler)() = nullptr;

void OnSignal(int) {
  if (interruptHandler) interruptHandler();
}
}  // namespace

bool IsTerminal(ConsoleStream stream) {
  const int fd = stream == ConsoleStream::Input    ? STDIN_FILENO
                 : stream == ConsoleStream::Output ? STDOUT_FILENO
                                                   : STDERR_FILENO;
  return isatty(fd) != 0;
}

void OnConsoleInterrupt(void (*handler)()) {
  interruptHandler = handler;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigaction(SIGINT, &action, nullptr);
}

}  // namespace platform
