// Seam: the console of the process: whether a standard stream is one, and Ctrl-C.
#pragma once

namespace win32 {

enum class StandardStream { Input, Output, Error };

// True when the stream is a console (GetStdHandle, GetFileType, GetConsoleMode): not a file,
// a pipe or the NUL device, which is a character device too.
bool IsConsole(StandardStream stream);

// The width of the console window the stream writes to (GetConsoleScreenBufferInfo); 0 when
// it is no console.
int ConsoleColumns(StandardStream stream);

// From now on Ctrl-C and Ctrl-Break call handler instead of ending the process
// (SetConsoleCtrlHandler); the system calls it on a thread of its own.
bool HandleConsoleInterrupt(void (*handler)());

}  // namespace win32
