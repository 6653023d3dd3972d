#include "ui/qt/row_list.h"

#include <QHeaderView>
#include <QScrollBar>

namespace ui::qt {

RowList::RowList(const QStringList& headings, std::function<void(int row)> toggled)
    : toggled_(std::move(toggled)) {
  setColumnCount(headings.size());
  setHeaderLabels(headings);
  setRootIsDecorated(false);
  setAlternatingRowColors(true);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  header()->setStretchLastSection(false);
  header()->setSectionResizeMode(QHeaderView::Interactive);
  connect(this, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
    if (filling_ || column != 0) return;
    toggled_(indexOfTopLevelItem(item));
  });
}

void RowList::Fill(QTreeWidgetItem* item, const ListRow& row) const {
  for (int column = 0; column < row.columns.size(); ++column) {
    item->setText(column, row.columns[column]);
    item->setToolTip(column, row.columns[column]);
  }
  if (emphasised_ >= 0) item->setForeground(emphasised_, emphasis_);
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setCheckState(0, row.ticked ? Qt::Checked : Qt::Unchecked);
}

void RowList::SetRows(const std::vector<ListRow>& rows) {
  filling_ = true;
  const int scrolled = verticalScrollBar()->value();
  const int current = currentIndex().row();
  while (topLevelItemCount() > static_cast<int>(rows.size()))
    delete takeTopLevelItem(topLevelItemCount() - 1);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    QTreeWidgetItem* item = topLevelItem(static_cast<int>(i));
    if (!item) item = new QTreeWidgetItem(this);
    Fill(item, rows[i]);
  }
  if (current >= 0 && current < topLevelItemCount()) setCurrentItem(topLevelItem(current));
  verticalScrollBar()->setValue(scrolled);
  filling_ = false;
}

void RowList::AppendRow(const ListRow& row) {
  filling_ = true;
  auto* item = new QTreeWidgetItem(this);
  Fill(item, row);
  setCurrentItem(item);
  scrollToItem(item);
  filling_ = false;
}

int RowList::RowAt(const QPoint& point) const {
  const QModelIndex index = indexAt(point);
  return index.isValid() ? index.row() : -1;
}

}  // namespace ui::qt
