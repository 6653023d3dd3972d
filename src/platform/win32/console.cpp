// The console of the Windows build: the process's console, and Ctrl-C and Ctrl-Break.
#include "platform/console.h"

#include "platform/win32/console_calls.h"

namespace platform {

bool IsTerminal(ConsoleStream stream) {
  switch (stream) {
    case ConsoleStream::Input:
      return win32::IsConsole(win32::StandardStream::Input);
    case ConsoleStream::Output:
      return win32::IsConsole(win32::StandardStream::Output);
    case ConsoleStream::Error:
      break;
  }
  return win32::IsConsole(win32::StandardStream::Error);
}

void OnConsoleInterrupt(void (*handler)()) {
  win32::HandleConsoleInterrupt(handler);
}

}  // namespace platform
