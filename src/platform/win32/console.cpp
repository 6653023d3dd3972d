// The console of the Windows build: the process's console, and Ctrl-C and Ctrl-Break.
#include "platform/console.h"

#include "platform/win32/console_calls.h"

namespace platform {

namespace {
win32::StandardStream StandardStreamOf(ConsoleStream stream) {
  switch (stream) {
    case ConsoleStream::Input:
      return win32::StandardStream::Input;
    case ConsoleStream::Output:
      return win32::StandardStream::Output;
    case ConsoleStream::Error:
      break;
  }
  return win32::StandardStream::Error;
}
}  // namespace

bool IsTerminal(ConsoleStream stream) {
  return win32::IsConsole(StandardStreamOf(stream));
}

int TerminalColumns(ConsoleStream stream) {
  return win32::ConsoleColumns(StandardStreamOf(stream));
}

void OnConsoleInterrupt(void (*handler)()) {
  win32::HandleConsoleInterrupt(handler);
}

}  // namespace platform
