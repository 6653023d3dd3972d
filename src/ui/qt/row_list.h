// A list of rows with a check box in the first column: the found items, the ignore list and
// the quarantine archives. Ticking a row reports its index; the model decides and the page
// shows it again.
#pragma once

#include <QColor>
#include <QStringList>
#include <QTreeWidget>
#include <functional>
#include <utility>
#include <vector>

namespace ui::qt {

struct ListRow {
  QStringList columns;
  bool ticked = false;
};

class RowList : public QTreeWidget {
 public:
  RowList(const QStringList& headings, std::function<void(int row)> toggled);

  // Shows these rows, keeping the scroll position and the current row where they remain.
  void SetRows(const std::vector<ListRow>& rows);
  // Adds a row at the end, makes it the current one and scrolls it into view.
  void AppendRow(const ListRow& row);
  // The row under a point of the viewport; -1 when there is none.
  int RowAt(const QPoint& point) const;
  // Draws one column's texts in a colour of their own.
  void Emphasise(int column, const QColor& colour) {
    emphasised_ = column;
    emphasis_ = colour;
  }

 private:
  void Fill(QTreeWidgetItem* item, const ListRow& row) const;

  std::function<void(int)> toggled_;
  int emphasised_ = -1;
  QColor emphasis_;
  bool filling_ = false;
};

}  // namespace ui::qt
