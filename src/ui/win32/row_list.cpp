#include "ui/win32/row_list.h"

#include "ui/win32/control_calls.h"
#include "ui/win32/view_ids.h"

namespace ui::win32 {

RowList::RowList(void* parent, const Skin& skin, const std::vector<std::string>& headings,
                 std::vector<int> widths, std::function<void(int row)> toggled)
    : skin_(skin),
      list_(sys::CreateList(parent, IDC_LIST, true)),
      widths_(std::move(widths)),
      toggled_(std::move(toggled)) {
  sys::SetFont(list_, skin.Font());
  sys::SetListBackground(list_, skin.Colour(app::BrandColour::ListInterior));
  for (std::size_t column = 0; column < headings.size(); ++column) {
    const int width = column < widths_.size() ? widths_[column] : 0;
    sys::AddListColumn(list_, static_cast<int>(column), headings[column],
                       skin.Px(width ? width : 100));
  }
}

void RowList::Place(const sys::Rect& where) {
  sys::Move(list_, where);
  // The column without a width takes what the others leave, so that all stay in sight.
  int fixed = 0, stretched = -1;
  for (std::size_t column = 0; column < widths_.size(); ++column) {
    if (widths_[column])
      fixed += skin_.Px(widths_[column]);
    else
      stretched = static_cast<int>(column);
  }
  if (stretched < 0) return;
  const int room = sys::ClientRect(list_).Width() - fixed - sys::VerticalScrollBarWidth();
  sys::SetListColumnWidth(list_, stretched, std::max(room, skin_.Px(80)));
}

void RowList::SetRows(const std::vector<ListRow>& rows) {
  filling_ = true;
  const int count = sys::ListRowCount(list_);
  if (count == static_cast<int>(rows.size())) {
    // The same rows, perhaps with new texts or ticks: each shown row takes its model row.
    for (int shown = 0; shown < count; ++shown) {
      const std::intptr_t param = sys::ListRowParam(list_, shown);
      if (param >= 0 && param < count)
        sys::UpdateListRow(list_, shown, rows[param].cells, param, rows[param].ticked);
    }
    rows_ = rows;
    if (sortColumn_ >= 0) Sort();
  } else {
    const int current = CurrentRow(), top = sys::ListTopRow(list_);
    sys::SetRedraw(list_, false);
    while (sys::ListRowCount(list_) > 0) sys::DeleteListRow(list_, sys::ListRowCount(list_) - 1);
    for (std::size_t row = 0; row < rows.size(); ++row)
      sys::InsertListRow(list_, static_cast<int>(row), rows[row].cells,
                         static_cast<std::intptr_t>(row), rows[row].ticked);
    rows_ = rows;
    if (sortColumn_ >= 0) Sort();
    if (current >= 0 && current < static_cast<int>(rows.size()))
      sys::MakeListRowCurrent(list_, sys::ListRowOfParam(list_, current));
    sys::ScrollListToRow(list_, top);
    sys::SetRedraw(list_, true);
  }
  filling_ = false;
}

void RowList::AppendRow(const ListRow& row) {
  filling_ = true;
  const int at = sys::ListRowCount(list_);
  rows_.push_back(row);
  sys::InsertListRow(list_, at, row.cells, static_cast<std::intptr_t>(rows_.size() - 1),
                     row.ticked);
  sys::MakeListRowCurrent(list_, at);
  filling_ = false;
}

int RowList::RowAtScreen(sys::Point screen) const {
  const sys::Point origin = sys::ToScreen(list_, {0, 0});
  const int shown = sys::ListRowAt(list_, {screen.x - origin.x, screen.y - origin.y});
  return shown < 0 ? -1 : static_cast<int>(sys::ListRowParam(list_, shown));
}

int RowList::CurrentRow() const {
  const int shown = sys::ListCurrentRow(list_);
  return shown < 0 ? -1 : static_cast<int>(sys::ListRowParam(list_, shown));
}

sys::Point RowList::MenuPointOf(int row) const {
  const int shown = row < 0 ? -1 : sys::ListRowOfParam(list_, row);
  if (shown < 0) {
    const sys::Rect list = sys::ScreenRect(list_);
    return {list.left + list.Width() / 2, list.top + list.Height() / 2};
  }
  const sys::Rect bounds = sys::ListRowScreenRect(list_, shown);
  return {bounds.left + skin_.Px(24), bounds.bottom};
}

void RowList::Ticked(std::intptr_t param, bool) {
  if (filling_ || param < 0) return;
  toggled_(static_cast<int>(param));
}

void RowList::ColumnClicked(int column) {
  if (column == sortColumn_) {
    rising_ = !rising_;
  } else {
    sortColumn_ = column;
    rising_ = true;
  }
  Sort();
}

void RowList::Sort() {
  sys::SortList(list_, &RowList::Order, this);
  sys::ShowSortArrow(list_, sortColumn_, rising_ ? 1 : -1);
}

int RowList::Order(std::intptr_t first, std::intptr_t second, void* context) {
  const auto* list = static_cast<const RowList*>(context);
  const auto count = static_cast<std::intptr_t>(list->rows_.size());
  if (first < 0 || second < 0 || first >= count || second >= count) return 0;
  const auto& a = list->rows_[first].cells;
  const auto& b = list->rows_[second].cells;
  const auto column = static_cast<std::size_t>(list->sortColumn_);
  int order = column < a.size() && column < b.size() ? sys::CompareTexts(a[column], b[column]) : 0;
  // Rows of the same text keep the model's order.
  if (order == 0) order = first < second ? -1 : first > second ? 1 : 0;
  return list->rising_ ? order : -order;
}

bool RowList::CellColours(int row, int column, sys::Colour* text, sys::Colour* background) const {
  *background = skin_.Colour(row % 2 ? app::BrandColour::BabyBlue : app::BrandColour::ListInterior);
  *text = skin_.Colour(column == emphasised_ ? emphasis_ : app::BrandColour::Black);
  return true;
}

}  // namespace ui::win32
