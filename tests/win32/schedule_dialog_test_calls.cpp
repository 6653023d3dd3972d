#include "schedule_dialog_test_calls.h"

#include <windows.h>

#include <commctrl.h>

namespace win32 {
namespace {

struct Search {
  const std::string* caption;
  HWND found;
};

BOOL CALLBACK LookAt(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char name[16] = {}, text[256] = {};
  GetClassNameA(window, name, sizeof name);
  GetWindowTextA(window, text, sizeof text);
  if (process != GetCurrentProcessId() || lstrcmpA(name, "#32770") != 0 ||
      *search->caption != text || !IsWindowVisible(window))
    return TRUE;
  search->found = window;
  return FALSE;
}

HWND Item(void* dialog, int id) {
  return GetDlgItem(static_cast<HWND>(dialog), id);
}

}  // namespace

void* FindDialog(const std::string& caption) {
  Search search{&caption, nullptr};
  EnumWindows(LookAt, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void Choose(void* dialog, int id, int index) {
  SendMessageA(Item(dialog, id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(static_cast<HWND>(dialog), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(Item(dialog, id)));
}

int ItemCount(void* dialog, int id) {
  return static_cast<int>(SendMessageA(Item(dialog, id), CB_GETCOUNT, 0, 0));
}

void SetPicker(void* dialog, int id, int year, int month, int day, int hour, int minute) {
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(year);
  time.wMonth = static_cast<WORD>(month);
  time.wDay = static_cast<WORD>(day);
  time.wHour = static_cast<WORD>(hour);
  time.wMinute = static_cast<WORD>(minute);
  SendMessageA(Item(dialog, id), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
  NMDATETIMECHANGE change{};
  change.nmhdr.hwndFrom = Item(dialog, id);
  change.nmhdr.idFrom = static_cast<UINT_PTR>(id);
  change.nmhdr.code = DTN_DATETIMECHANGE;
  change.st = time;
  SendMessageA(static_cast<HWND>(dialog), WM_NOTIFY, static_cast<WPARAM>(id),
               reinterpret_cast<LPARAM>(&change));
}

void SetItemText(void* dialog, int id, const std::string& text) {
  SetWindowTextA(Item(dialog, id), text.c_str());  // the edit tells its dialog (EN_CHANGE)
}

void Press(void* dialog, int id) {
  SendMessageA(Item(dialog, id), BM_CLICK, 0, 0);
}

void PressEscape(void* dialog) {
  HWND target = GetDlgItem(static_cast<HWND>(dialog), IDOK);
  PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0);
  PostMessageA(target, WM_KEYUP, VK_ESCAPE, 0xC0000001);
}

bool IsOpen(void* dialog) {
  return IsWindow(static_cast<HWND>(dialog)) != FALSE;
}

}  // namespace win32
