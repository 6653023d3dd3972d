// Seam: comctl32's common controls for the Windows view, in plain types: their start and
// version, the report list view with check boxes, the progress bar, and the dialog items of
// the view's own dialogs (drop lists, date and time pickers, spin buttons).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/win32/window_calls.h"

namespace win32::view {

// InitCommonControlsEx for every class the view uses.
bool StartCommonControls();
// The version of comctl32 in use (DllGetVersion), as 100 * major + minor: 600 where the
// program's manifest got version 6, 580 or below otherwise; 0 when it does not tell.
int CommonControlsVersion();

// The report list view: full rows selected, one row at a time, grid lines, tips for texts
// that do not fit, and check boxes when asked.
void* CreateList(void* parent, int id, bool checkBoxes);
void AddListColumn(void* list, int column, const std::string& heading, int width);
void SetListColumnWidth(void* list, int column, int width);
void SetListBackground(void* list, Colour colour);
int ListRowCount(void* list);
// A row's cells from the first column on, the program's own number for the row, its tick.
void InsertListRow(void* list, int row, const std::vector<std::string>& cells, std::intptr_t param,
                   bool ticked);
void UpdateListRow(void* list, int row, const std::vector<std::string>& cells, std::intptr_t param,
                   bool ticked);
void DeleteListRow(void* list, int row);
bool ListRowTicked(void* list, int row);
std::intptr_t ListRowParam(void* list, int row);
// The row with that number; -1 when there is none.
int ListRowOfParam(void* list, std::intptr_t param);
// The row at a point of the list's client area; -1 when there is none.
int ListRowAt(void* list, Point client);
// The row that has the focus (the keyboard's), else the selected one; -1 when none.
int ListCurrentRow(void* list);
// Selects the row, gives it the focus and scrolls it into view.
void MakeListRowCurrent(void* list, int row);
int ListTopRow(void* list);
void ScrollListToRow(void* list, int row);
Rect ListRowScreenRect(void* list, int row);
// Sorts the rows by their numbers: order returns below 0, 0 or above 0 (LVM_SORTITEMS).
using RowOrder = int (*)(std::intptr_t first, std::intptr_t second, void* context);
void SortList(void* list, RowOrder order, void* context);
// The heading's arrow (version 6): 1 rising, -1 falling, 0 none.
void ShowSortArrow(void* list, int column, int direction);
int VerticalScrollBarWidth();
// lstrcmpiA: the order of two texts without regard to case, as the user's locale sorts.
int CompareTexts(const std::string& first, const std::string& second);
// WM_SETREDRAW: a window that changes a lot at once is drawn again only at the end.
void SetRedraw(void* window, bool redraw);

void* CreateProgressBar(void* parent, int id);
void SetProgress(void* bar, int percent);
// Makes the bar move on its own (a marquee) or stop; false where the controls cannot.
bool SetMarquee(void* bar, bool on);

// Dialog items.
void ListBoxAdd(void* dropList, const std::string& text);
void ListBoxClear(void* dropList);
void ListBoxReplace(void* dropList, int index, const std::string& text);
void ListBoxSelect(void* dropList, int index);
int ListBoxSelection(void* dropList);

struct DateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
};
void SetPickerFormat(void* picker, const std::string& format);
void SetPickerTime(void* picker, const DateTime& time);
DateTime PickerTime(void* picker);

void SetSpinRange(void* spin, int lowest, int highest);
void SetSpinValue(void* spin, int value);
int SpinValue(void* spin);

// A static picture control shows the bitmap (STM_SETIMAGE).
void SetPicture(void* control, void* bitmap);

}  // namespace win32::view
