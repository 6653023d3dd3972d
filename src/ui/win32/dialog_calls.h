// Seam: the view's own dialogs from the dialog templates of the program's resources
// (ui/win32/view_ids.h), modal or not, whose procedure decodes messages for a plain receiver.
#pragma once

#include <cstdint>

namespace win32::view {

constexpr int kOkButton = 1;          // IDOK
constexpr int kCancelButton = 2;      // IDCANCEL, also Escape and the close box
constexpr int kSelectionChanged = 1;  // CBN_SELCHANGE

class DialogEvents {
 public:
  virtual ~DialogEvents() = default;
  // WM_INITDIALOG: the dialog and its items exist.
  virtual void Opened(void* /*dialog*/) {}
  virtual void Command(int /*id*/, int /*code*/) {}
  // A date and time picker's value changed (DTN_DATETIMECHANGE).
  virtual void PickerChanged(int /*id*/) {}
  // A message of the view's own (from kFirstViewMessage): true when handled.
  virtual bool Private(unsigned /*message*/, std::uintptr_t /*wParam*/, std::intptr_t /*lParam*/) {
    return false;
  }
};

// DialogBoxParamA of the template in the program's module: the dialog's result, -1 when it
// could not be shown.
int RunDialog(int templateId, void* owner, DialogEvents* events);
// CreateDialogParamA: a dialog that runs in the thread's own loop, hidden until shown; null
// when it could not be made.
void* OpenDialog(int templateId, void* owner, DialogEvents* events);
void EndDialog(void* dialog, int result);
void* DialogItem(void* dialog, int id);

}  // namespace win32::view
