// The console of the Linux build: a terminal, and SIGINT.
#include "platform/console.h"

#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform {

namespace {
void (*interruptHandler)() = nullptr;

void OnSignal(int) {
  if (interruptHandler) interruptHandler();
}

int DescriptorOf(ConsoleStream stream) {
  return stream == ConsoleStream::Input    ? STDIN_FILENO
         : stream == ConsoleStream::Output ? STDOUT_FILENO
                                           : STDERR_FILENO;
}
}  // namespace

bool IsTerminal(ConsoleStream stream) {
  return isatty(DescriptorOf(stream)) != 0;
}

int TerminalColumns(ConsoleStream stream) {
  struct winsize size {};
  if (ioctl(DescriptorOf(stream), TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

void OnConsoleInterrupt(void (*handler)()) {
  interruptHandler = handler;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigaction(SIGINT, &action, nullptr);
}

}  // namespace platform
