#include "ui/win32/dialog_calls.h"

#include "platform/win32/windows_door.h"

// After <windows.h>: the pickers' notification.
#include <commctrl.h>

namespace win32::view {
namespace {

static_assert(kOkButton == IDOK);
static_assert(kCancelButton == IDCANCEL);
static_assert(kSelectionChanged == CBN_SELCHANGE);

DialogEvents* EventsOf(HWND dialog) {
  return reinterpret_cast<DialogEvents*>(::GetWindowLongPtrA(dialog, DWLP_USER));
}

INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    if (DialogEvents* events = EventsOf(dialog)) events->Opened(dialog);
    return TRUE;  // the system gives the first item the focus
  }
  DialogEvents* events = EventsOf(dialog);
  if (!events) return FALSE;
  switch (message) {
    case WM_COMMAND:
      events->Command(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == DTN_DATETIMECHANGE)
        events->PickerChanged(static_cast<int>(header->idFrom));
      return FALSE;
    }
    case WM_NCDESTROY:
      ::SetWindowLongPtrA(dialog, DWLP_USER, 0);
      return FALSE;
    default:
      if (message >= WM_APP && message <= 0xBFFF)
        return events->Private(message, wParam, lParam) ? TRUE : FALSE;
      return FALSE;
  }
}

}  // namespace

int RunDialog(int templateId, void* owner, DialogEvents* events) {
  return static_cast<int>(::DialogBoxParamA(::GetModuleHandleA(nullptr),
                                            MAKEINTRESOURCEA(templateId), static_cast<HWND>(owner),
                                            DialogProcedure, reinterpret_cast<LPARAM>(events)));
}

void* OpenDialog(int templateId, void* owner, DialogEvents* events) {
  return ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId),
                              static_cast<HWND>(owner), DialogProcedure,
                              reinterpret_cast<LPARAM>(events));
}

void EndDialog(void* dialog, int result) {
  ::EndDialog(static_cast<HWND>(dialog), result);
}

void* DialogItem(void* dialog, int id) {
  return ::GetDlgItem(static_cast<HWND>(dialog), id);
}

}  // namespace win32::view
