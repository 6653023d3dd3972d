// A report list view with a check box in the first column: the found items, the ignore list
// and the quarantine archives. The list keeps the model's rows in the model's order, each
// row carrying its number in the model, and may show them sorted by a column (a click on its
// heading, again for the other direction). Ticking a row reports the row's number; the model
// decides and the page shows it again. Rows alternate between two of the brand's colours.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/win32/skin.h"

namespace ui::win32 {

struct ListRow {
  std::vector<std::string> cells;
  bool ticked = false;
};

class RowList {
 public:
  // widths in the skin's unit; a width of 0 takes what the other columns leave.
  RowList(void* parent, const Skin& skin, const std::vector<std::string>& headings,
          std::vector<int> widths, std::function<void(int row)> toggled);
  void* Handle() const { return list_; }

  // Shows these rows, keeping the order, the scroll position and the current row.
  void SetRows(const std::vector<ListRow>& rows);
  // Adds a row at the end of the model, makes it the current one and scrolls it into view.
  void AppendRow(const ListRow& row);
  // The model's row under a screen point, or the current one; -1 when there is none.
  int RowAtScreen(sys::Point screen) const;
  int CurrentRow() const;
  // Where a menu for the row opens when the keyboard asks for it.
  sys::Point MenuPointOf(int row) const;
  // Draws one column's texts in a colour of their own.
  void Emphasise(int column, app::BrandColour colour) {
    emphasised_ = column;
    emphasis_ = colour;
  }
  void Place(const sys::Rect& where);

  // The list's notifications, from its page.
  void Ticked(std::intptr_t param, bool ticked);
  void ColumnClicked(int column);
  bool CellColours(int row, int column, sys::Colour* text, sys::Colour* background) const;

 private:
  void Sort();
  static int Order(std::intptr_t first, std::intptr_t second, void* list);

  const Skin& skin_;
  void* list_;
  std::vector<int> widths_;
  std::function<void(int)> toggled_;
  std::vector<ListRow> rows_;  // the model's, in its order
  int sortColumn_ = -1;
  bool rising_ = true;
  bool filling_ = false;  // the code sets the ticks: no person's change
  int emphasised_ = -1;
  app::BrandColour emphasis_ = app::BrandColour::Black;
};

}  // namespace ui::win32
