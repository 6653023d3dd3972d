// The pages with lists: the scan page with its found items, the ignore list and the
// quarantine.
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QVBoxLayout>

#include "ui/qt/brand_style.h"
#include "ui/qt/pages.h"
#include "ui/qt/row_list.h"

namespace ui::qt {
namespace {

namespace command = app::command;

constexpr unsigned kFirstColumnText = 189;  // name, type, category, location, danger
constexpr unsigned kFirstCounterText = 194;
constexpr unsigned kFirstMenuText = 184;  // tick all, untick all, invert, ignore, details
constexpr unsigned kRestoreText = 180, kDeleteText = 181, kUnignoreText = 212, kHomeText = 143;
constexpr unsigned kFirstQuarantineColumn = 87;
constexpr unsigned kScanButtonHint = 239, kLayoutHint = 240;

QStringList Headings(PageContext& context, unsigned first, int count) {
  QStringList headings;
  for (int i = 0; i < count; ++i) headings << context.Text(first + i);
  return headings;
}

ListRow FoundItemRow(PageContext& context, const removal::ResultRow& row, bool labelChanged) {
  const app::FoundRow columns = app::ListColumns(context.Window().Texts(), row.item, labelChanged);
  return {
      {context.ToQt(columns.entryName), context.ToQt(columns.kindLabel),
       context.ToQt(columns.category), context.ToQt(columns.text), context.ToQt(columns.danger)},
      row.ticked};
}

std::vector<ListRow> FoundItemRows(PageContext& context,
                                   const std::vector<removal::ResultRow>& rows, bool labelChanged) {
  std::vector<ListRow> shown;
  for (const removal::ResultRow& row : rows)
    shown.push_back(FoundItemRow(context, row, labelChanged));
  return shown;
}

RowList* FoundItemsList(PageContext& context, const char* name) {
  auto* list = new RowList(Headings(context, kFirstColumnText, 5),
                           [&context](int row) { context.Command(command::kToggleRow, row); });
  list->setObjectName(name);
  // The location takes what the other four columns leave, so that all five stay in sight.
  QHeaderView* header = list->header();
  const int widths[] = {165, 115, 95, 0, 60};
  for (int column = 0; column < 5; ++column)
    if (widths[column]) header->resizeSection(column, widths[column]);
  header->setSectionResizeMode(3, QHeaderView::Stretch);
  list->setTextElideMode(Qt::ElideMiddle);  // a path keeps its start and its file name
  list->Emphasise(4, ColourOf(context.Window().Branding(), app::BrandColour::SolidRed));
  return list;
}

class ScanPage : public ScanPageWidget {
 public:
  explicit ScanPage(PageContext& context) : ScanPageWidget(context) {
    setObjectName("scanPage");
    auto* layout = new QVBoxLayout(this);
    progress_ = new QWidget;
    auto* grid = new QGridLayout(progress_);
    grid->setContentsMargins(0, 0, 0, 0);
    phase_ = new QLabel;
    phase_->setObjectName("phase");
    item_ = new QLabel;
    item_->setObjectName("item");
    item_->setTextFormat(Qt::PlainText);
    item_->setMinimumWidth(1);  // a long path must not widen the window
    grid->addWidget(phase_, 0, 0, 1, 4);
    grid->addWidget(item_, 1, 0, 1, 4);
    for (int i = 0; i < 4; ++i) {
      grid->addWidget(new QLabel(context.Text(kFirstCounterText + i)), 2, i);
      counters_[i] = new QLabel("0");
      counters_[i]->setObjectName("counter");
      counters_[i]->setProperty("counter", i);
      grid->addWidget(counters_[i], 3, i);
    }
    layout->addWidget(progress_);
    list_ = FoundItemsList(context, "foundItems");
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& point) { OpenMenu(point); });
    layout->addWidget(list_, 1);
    status_ = new QLabel;
    status_->setObjectName("scanStatus");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    layoutButton_ = CommandButton(context, 0, command::kLayoutButton, "layoutButton");
    scanButton_ = CommandButton(context, 0, command::kScanButton, "scanButton");
    context.Hint(layoutButton_, kLayoutHint);
    context.Hint(scanButton_, kScanButtonHint);
    buttons->addWidget(layoutButton_);
    buttons->addWidget(scanButton_);
    layout->addLayout(buttons);
  }

  void Update(const app::PageShown&) override {
    app::ScanPage& page = context_.Window().Scan();
    list_->SetRows(FoundItemRows(context_, page.Rows(), true));
    status_->setText(context_.ToQt(page.status));
    scanButton_->setText(context_.ToQt(page.scanButton));
    scanButton_->setVisible(!page.scanButton.empty());
    layoutButton_->setText(context_.ToQt(page.LayoutCaption()));
    // The list-only layout hides the progress so that the list has the page's height.
    progress_->setVisible(!page.listOnly);
  }

  void AppendRow(const app::FoundRow& row) override {
    list_->AppendRow(
        {{context_.ToQt(row.entryName), context_.ToQt(row.kindLabel), context_.ToQt(row.category),
          context_.ToQt(row.text), context_.ToQt(row.danger)},
         true});
  }

  void ShowProgress(const app::ScanProgressView& progress) override {
    phase_->setText(context_.ToQt(progress.phaseText));
    item_->setText(context_.ToQt(progress.itemText));
    const int values[] = {progress.objectsExamined, progress.itemsFound, progress.itemsListed,
                          progress.itemsIgnored};
    for (int i = 0; i < 4; ++i) counters_[i]->setText(QString::number(values[i]));
  }

  void ShowEnd(const std::string& status, const std::string& button) override {
    status_->setText(context_.ToQt(status));
    scanButton_->setText(context_.ToQt(button));
    scanButton_->setVisible(true);
  }

 private:
  // Menu 169 at the cursor, 5 pixels higher, for the row under it; the window fills the
  // captions of the row's entry and kind before the menu opens.
  void OpenMenu(const QPoint& point) {
    const int row = list_->RowAt(point);
    context_.Send(app::WM_CONTEXTMENU, static_cast<platform::WPARAM>(row), 0);
    const app::ScanPage& page = context_.Window().Scan();
    const bool onRow = page.MenuRow().has_value();
    QMenu menu(this);
    menu.setObjectName("foundItemsMenu");
    auto add = [&](const QString& caption, std::uintptr_t id, bool enabled) {
      QAction* action = menu.addAction(caption);
      action->setData(QVariant::fromValue<qulonglong>(id));
      action->setEnabled(enabled);
    };
    add(context_.Text(kFirstMenuText), command::kTickAll, true);
    add(context_.Text(kFirstMenuText + 1), command::kUntickAll, true);
    add(context_.Text(kFirstMenuText + 2), command::kInvertTicks, true);
    menu.addSeparator();
    add(context_.Text(kFirstMenuText + 3), command::kIgnoreTicked, true);
    add(context_.Text(kFirstMenuText + 4), command::kDetails, onRow);
    menu.addSeparator();
    for (std::size_t i = 0; i < page.MenuCaptions().size(); ++i)
      add(context_.ToQt(page.MenuCaptions()[i]), command::kTickEntry + i, onRow);
    QAction* chosen = menu.exec(list_->viewport()->mapToGlobal(point) - QPoint(0, 5));
    if (chosen) context_.Command(chosen->data().toULongLong());
  }

  QWidget* progress_;
  QLabel* phase_;
  QLabel* item_;
  QLabel* counters_[4];
  RowList* list_;
  QLabel* status_;
  QPushButton* layoutButton_;
  QPushButton* scanButton_;
};

class IgnorePage : public PageWidget {
 public:
  explicit IgnorePage(PageContext& context) : PageWidget(context) {
    setObjectName("ignorePage");
    auto* layout = new QVBoxLayout(this);
    list_ = FoundItemsList(context, "ignoredItems");
    layout->addWidget(list_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CommandButton(context, kUnignoreText, command::kUnignore, "unignore"));
    buttons->addWidget(CommandButton(context, kHomeText, 0, "home"));
    layout->addLayout(buttons);
  }
  void Update(const app::PageShown&) override {
    list_->SetRows(FoundItemRows(context_, context_.Window().Ignore().Rows(), false));
  }

 private:
  RowList* list_;
};

class QuarantinePage : public PageWidget {
 public:
  explicit QuarantinePage(PageContext& context) : PageWidget(context) {
    setObjectName("quarantinePage");
    auto* layout = new QVBoxLayout(this);
    list_ = new RowList(Headings(context, kFirstQuarantineColumn, 4),
                        [&context](int row) { context.Command(command::kToggleRow, row); });
    list_->setObjectName("archives");
    list_->header()->resizeSection(0, 240);
    list_->header()->resizeSection(1, 60);
    list_->header()->resizeSection(2, 90);
    layout->addWidget(list_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CommandButton(context, kRestoreText, command::kRestoreArchives, "restore"));
    buttons->addWidget(CommandButton(context, kDeleteText, command::kDeleteArchives, "delete"));
    buttons->addWidget(CommandButton(context, kHomeText, 0, "home"));
    layout->addLayout(buttons);
  }
  void Update(const app::PageShown&) override {
    std::vector<ListRow> rows;
    if (const app::QuarantinePage* page = context_.Window().Quarantine())
      for (const auto& row : page->Rows())
        rows.push_back({{context_.ToQt(row.title), context_.ToQt(row.itemTotal),
                         context_.ToQt(row.size), context_.ToQt(row.created)},
                        row.ticked});
    list_->SetRows(rows);
  }

 private:
  RowList* list_;
};

}  // namespace

ScanPageWidget* MakeScanPage(PageContext& context) {
  return new ScanPage(context);
}

PageWidget* MakeIgnorePage(PageContext& context) {
  return new IgnorePage(context);
}

PageWidget* MakeQuarantinePage(PageContext& context) {
  return new QuarantinePage(context);
}

}  // namespace ui::qt
