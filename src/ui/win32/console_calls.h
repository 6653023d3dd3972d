// Seam: the console a window program was started from, for the console view: a program of
// the window subsystem gets none of its own.
#pragma once

namespace win32::view {

// Unless the standard streams lead somewhere already (a file, a pipe), they are joined to
// the console of the program that started this one (AttachConsole, bound at run time: it
// came with Windows XP), or to a console of its own.
void UseStartingConsole();

}  // namespace win32::view
