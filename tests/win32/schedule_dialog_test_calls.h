// The schedule dialog test's own seam to the system: a person's hands on a dialog of another
// thread, found by its caption, its items by their ids.
#pragma once

#include <string>

namespace win32 {

// The dialog box (class "#32770") of this process with that caption; null while there is none.
void* FindDialog(const std::string& caption);
// An item of a drop list chosen, as the person's choice tells the dialog (CBN_SELCHANGE).
void Choose(void* dialog, int id, int index);
int ItemCount(void* dialog, int id);
// A date and time picker set to the minute, and the dialog told as by a person's typing.
void SetPicker(void* dialog, int id, int year, int month, int day, int hour, int minute);
void SetItemText(void* dialog, int id, const std::string& text);
// The button pressed and let go (BM_CLICK).
void Press(void* dialog, int id);
// The key pressed on the dialog's focused item, through the dialog's own message loop.
void PressEscape(void* dialog);
bool IsOpen(void* dialog);

}  // namespace win32
