// What happens when memory runs out while a data file is read: the message "Out of Memory"
// and the immediate end of the program.
#pragma once

namespace foundation {

inline constexpr const char* kOutOfMemoryText = "Out of Memory";

// Shows the message and ends the process at once. Until a window exists the message goes to
// standard error; the program installs its message box with SetOutOfMemoryHandler.
[[noreturn]] void OutOfMemory();

// Replaces how the message is shown (the process still ends right after).
void SetOutOfMemoryHandler(void (*show)(const char* text));

}  // namespace foundation
