#include "ui/win32/control_calls.h"

#include <cstdlib>

#include "platform/win32/windows_door.h"

// After <windows.h>: the common controls and the version record of a system DLL.
#include <commctrl.h>
#include <shlwapi.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace win32::view {
namespace {

HWND Window(void* window) {
  return static_cast<HWND>(window);
}

HINSTANCE Module() {
  return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

HWND CreateChild(DWORD extended, const char* className, DWORD style, void* parent, int id) {
  return ::CreateWindowExA(extended, className, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                           Window(parent), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           Module(), nullptr);
}

// The cells of a row, each set on its column; the first with the row's number and tick.
void SetCells(HWND list, int row, const std::vector<std::string>& cells) {
  for (std::size_t column = 1; column < cells.size(); ++column) {
    LVITEMA item{};
    item.iItem = row;
    item.iSubItem = static_cast<int>(column);
    item.pszText = const_cast<char*>(cells[column].c_str());
    ::SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&item));
  }
}

UINT TickState(bool ticked) {
  return INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
}

struct Sorting {
  RowOrder order;
  void* context;
};

int CALLBACK CompareRows(LPARAM first, LPARAM second, LPARAM sorting) {
  const auto* how = reinterpret_cast<const Sorting*>(sorting);
  return how->order(first, second, how->context);
}

}  // namespace

bool StartCommonControls() {
  INITCOMMONCONTROLSEX classes{};
  classes.dwSize = sizeof classes;
  // Classes of version 4.70 and later only: an older comctl32 refuses flags it does not know.
  classes.dwICC = ICC_WIN95_CLASSES | ICC_DATE_CLASSES;
  return ::InitCommonControlsEx(&classes) != FALSE;
}

int CommonControlsVersion() {
  static const int version = [] {
    HMODULE library = ::GetModuleHandleA("comctl32.dll");
    if (!library) return 0;
    auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(
        reinterpret_cast<void*>(::GetProcAddress(library, "DllGetVersion")));
    DLLVERSIONINFO info{};
    info.cbSize = sizeof info;
    if (!getVersion || FAILED(getVersion(&info))) return 0;
    return static_cast<int>(info.dwMajorVersion * 100 + info.dwMinorVersion);
  }();
  return version;
}

void* CreateList(void* parent, int id, bool checkBoxes) {
  HWND list = CreateChild(WS_EX_CLIENTEDGE, WC_LISTVIEWA,
                          WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, parent, id);
  if (!list) return nullptr;
  DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP;
  if (checkBoxes) extended |= LVS_EX_CHECKBOXES;
  if (CommonControlsVersion() >= 600) extended |= LVS_EX_DOUBLEBUFFER;
  ListView_SetExtendedListViewStyle(list, extended);
  return list;
}

void AddListColumn(void* list, int column, const std::string& heading, int width) {
  LVCOLUMNA entry{};
  entry.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
  entry.fmt = LVCFMT_LEFT;
  entry.cx = width;
  entry.iSubItem = column;
  entry.pszText = const_cast<char*>(heading.c_str());
  ::SendMessageA(Window(list), LVM_INSERTCOLUMNA, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&entry));
}

void SetListColumnWidth(void* list, int column, int width) {
  ListView_SetColumnWidth(Window(list), column, width);
}

void SetListBackground(void* list, Colour colour) {
  ListView_SetBkColor(Window(list), colour);
  ListView_SetTextBkColor(Window(list), colour);
}

int ListRowCount(void* list) {
  return ListView_GetItemCount(Window(list));
}

void InsertListRow(void* list, int row, const std::vector<std::string>& cells, std::intptr_t param,
                   bool ticked) {
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = row;
  item.pszText = const_cast<char*>(cells.empty() ? "" : cells.front().c_str());
  item.lParam = param;
  const int at = static_cast<int>(
      ::SendMessageA(Window(list), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (at < 0) return;
  SetCells(Window(list), at, cells);
  // The check box image comes once the row is in the list.
  ListView_SetItemState(Window(list), at, TickState(ticked), LVIS_STATEIMAGEMASK);
}

void UpdateListRow(void* list, int row, const std::vector<std::string>& cells, std::intptr_t param,
                   bool ticked) {
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = row;
  item.pszText = const_cast<char*>(cells.empty() ? "" : cells.front().c_str());
  item.lParam = param;
  ::SendMessageA(Window(list), LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  SetCells(Window(list), row, cells);
  if (ListRowTicked(list, row) != ticked)
    ListView_SetItemState(Window(list), row, TickState(ticked), LVIS_STATEIMAGEMASK);
}

void DeleteListRow(void* list, int row) {
  ListView_DeleteItem(Window(list), row);
}

bool ListRowTicked(void* list, int row) {
  return ((ListView_GetItemState(Window(list), row, LVIS_STATEIMAGEMASK) >> 12) & 0xF) == 2;
}

std::intptr_t ListRowParam(void* list, int row) {
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!::SendMessageA(Window(list), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return -1;
  return item.lParam;
}

int ListRowOfParam(void* list, std::intptr_t param) {
  LVFINDINFOA find{};
  find.flags = LVFI_PARAM;
  find.lParam = param;
  return static_cast<int>(::SendMessageA(Window(list), LVM_FINDITEMA, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(&find)));
}

int ListRowAt(void* list, Point client) {
  LVHITTESTINFO hit{};
  hit.pt = {client.x, client.y};
  const int row = ListView_HitTest(Window(list), &hit);
  return (hit.flags & LVHT_ONITEM) ? row : -1;
}

int ListCurrentRow(void* list) {
  const int focused = ListView_GetNextItem(Window(list), -1, LVNI_FOCUSED);
  return focused >= 0 ? focused : ListView_GetNextItem(Window(list), -1, LVNI_SELECTED);
}

void MakeListRowCurrent(void* list, int row) {
  ListView_SetItemState(Window(list), row, LVIS_SELECTED | LVIS_FOCUSED,
                        LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(Window(list), row, FALSE);
}

int ListTopRow(void* list) {
  return ListView_GetTopIndex(Window(list));
}

void ScrollListToRow(void* list, int row) {
  const int top = ListView_GetTopIndex(Window(list));
  if (row == top || ListView_GetItemCount(Window(list)) == 0) return;
  RECT bounds{};
  ListView_GetItemRect(Window(list), 0, &bounds, LVIR_BOUNDS);
  const int rowHeight = bounds.bottom - bounds.top;
  ListView_Scroll(Window(list), 0, (row - top) * rowHeight);
}

Rect ListRowScreenRect(void* list, int row) {
  RECT bounds{};
  ListView_GetItemRect(Window(list), row, &bounds, LVIR_BOUNDS);
  ::MapWindowPoints(Window(list), nullptr, reinterpret_cast<POINT*>(&bounds), 2);
  return {bounds.left, bounds.top, bounds.right, bounds.bottom};
}

void SortList(void* list, RowOrder order, void* context) {
  Sorting sorting{order, context};
  ListView_SortItems(Window(list), CompareRows, reinterpret_cast<LPARAM>(&sorting));
}

void ShowSortArrow(void* list, int column, int direction) {
  if (CommonControlsVersion() < 600) return;  // the arrows came with version 6
  HWND header = ListView_GetHeader(Window(list));
  const int count = Header_GetItemCount(header);
  for (int at = 0; at < count; ++at) {
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    ::SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&item));
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (at == column && direction > 0) item.fmt |= HDF_SORTUP;
    if (at == column && direction < 0) item.fmt |= HDF_SORTDOWN;
    ::SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&item));
  }
}

int VerticalScrollBarWidth() {
  return ::GetSystemMetrics(SM_CXVSCROLL);
}

int CompareTexts(const std::string& first, const std::string& second) {
  return ::lstrcmpiA(first.c_str(), second.c_str());
}

void SetRedraw(void* window, bool redraw) {
  ::SendMessageA(Window(window), WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
  if (redraw) ::InvalidateRect(Window(window), nullptr, TRUE);
}

void* CreateProgressBar(void* parent, int id) {
  HWND bar = CreateChild(0, PROGRESS_CLASSA, 0, parent, id);
  if (bar) ::SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  return bar;
}

void SetProgress(void* bar, int percent) {
  ::SendMessageA(Window(bar), PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

bool SetMarquee(void* bar, bool on) {
  if (CommonControlsVersion() < 600) return false;  // the marquee came with version 6
  const LONG style = ::GetWindowLongA(Window(bar), GWL_STYLE);
  if (on) {
    ::SetWindowLongA(Window(bar), GWL_STYLE, style | PBS_MARQUEE);
    ::SendMessageA(Window(bar), PBM_SETMARQUEE, TRUE, 30);
  } else {
    ::SendMessageA(Window(bar), PBM_SETMARQUEE, FALSE, 0);
    ::SetWindowLongA(Window(bar), GWL_STYLE, style & ~PBS_MARQUEE);
  }
  return true;
}

void ListBoxAdd(void* dropList, const std::string& text) {
  ::SendMessageA(Window(dropList), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void ListBoxClear(void* dropList) {
  ::SendMessageA(Window(dropList), CB_RESETCONTENT, 0, 0);
}

void ListBoxReplace(void* dropList, int index, const std::string& text) {
  const int selected = ListBoxSelection(dropList);
  ::SendMessageA(Window(dropList), CB_DELETESTRING, static_cast<WPARAM>(index), 0);
  ::SendMessageA(Window(dropList), CB_INSERTSTRING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.c_str()));
  if (selected == index) ListBoxSelect(dropList, index);
}

void ListBoxSelect(void* dropList, int index) {
  ::SendMessageA(Window(dropList), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int ListBoxSelection(void* dropList) {
  return static_cast<int>(::SendMessageA(Window(dropList), CB_GETCURSEL, 0, 0));
}

void SetPickerFormat(void* picker, const std::string& format) {
  ::SendMessageA(Window(picker), DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(format.c_str()));
}

void SetPickerTime(void* picker, const DateTime& time) {
  SYSTEMTIME system{};
  system.wYear = static_cast<WORD>(time.year);
  system.wMonth = static_cast<WORD>(time.month);
  system.wDay = static_cast<WORD>(time.day);
  system.wHour = static_cast<WORD>(time.hour);
  system.wMinute = static_cast<WORD>(time.minute);
  ::SendMessageA(Window(picker), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&system));
}

DateTime PickerTime(void* picker) {
  SYSTEMTIME system{};
  ::SendMessageA(Window(picker), DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&system));
  return {system.wYear, system.wMonth, system.wDay, system.wHour, system.wMinute};
}

void SetSpinRange(void* spin, int lowest, int highest) {
  ::SendMessageA(Window(spin), UDM_SETRANGE, 0, MAKELPARAM(highest, lowest));
}

void SetSpinValue(void* spin, int value) {
  ::SendMessageA(Window(spin), UDM_SETPOS, 0, MAKELPARAM(value, 0));
}

int SpinValue(void* spin) {
  // The value its buddy holds; a text that is no number in its range tells an error.
  const LRESULT result = ::SendMessageA(Window(spin), UDM_GETPOS, 0, 0);
  return HIWORD(result) ? -1 : static_cast<short>(LOWORD(result));
}

void SetPicture(void* control, void* bitmap) {
  ::SendMessageA(Window(control), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
}

}  // namespace win32::view
