// The console a program was started from: whether its streams are a terminal, how wide it
// is, and Ctrl-C.
#pragma once

namespace platform {

enum class ConsoleStream { Input, Output, Error };

// True when the stream is an interactive terminal (not a file or a pipe).
bool IsTerminal(ConsoleStream stream);

// The number of characters a line of the terminal holds; 0 when the stream is none or does
// not say.
int TerminalColumns(ConsoleStream stream);

// From now on Ctrl-C (and Ctrl-Break) no longer ends the process: it calls the handler,
// which must only set an atomic flag, since it may run on any thread or in a signal.
void OnConsoleInterrupt(void (*handler)());

}  // namespace platform
